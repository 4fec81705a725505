// Reading Settings.xml into profiles. Element and attribute names are matched
// ignoring case; anything the store does not know is passed over.
#include "core/runtime/memory.h"
#include "core/runtime/wstr.h"
#include "settings/settings_state.h"
#include "settings/xml.h"
#include "settings/xml_internal.h"

namespace {
bool IsElementNamed(const XmlNode* node, const WCHAR* name) {
    return node && node->type == XML_ELEMENT && SettingsNameIs(static_cast<const XmlElement*>(node)->name, name);
}

// The first attribute of that name ignoring case, as XmlFindAttribute finds.
XmlAttribute* FindAttribute(XmlElement* element, const WCHAR* name) {
    PtrArray* attributes = element->attributes;
    for (UINT i = 0; attributes && i < attributes->count; i++) {
        XmlAttribute* a = static_cast<XmlAttribute*>(attributes->items[i]);
        if (SettingsNameIs(a->name, name)) return a;
    }
    return nullptr;
}

// The first text child, whose text XmlGetText gives.
XmlText* FirstText(XmlElement* element) {
    PtrArray* children = element->children;
    for (UINT i = 0; children && i < children->count; i++) {
        XmlNode* child = static_cast<XmlNode*>(children->items[i]);
        if (child->type == XML_TEXT) return static_cast<XmlText*>(child);
    }
    return nullptr;
}

Setting* ReadSetting(XmlElement* element) {
    XmlAttribute* name = FindAttribute(element, L"name");
    XmlText* text = FirstText(element);
    if (!name || !name->value || !text || !text->text) return nullptr;
    XmlAttribute* typeAttribute = FindAttribute(element, L"type");
    const WCHAR* type = typeAttribute ? typeAttribute->value : nullptr;
    Setting* setting = SettingCreate(name->value);
    if (!type || SettingsNameIs(type, L"string")) {
        // A setting without a type (a hand-edited file) keeps its text as a
        // string rather than losing it at the next save; number and flag
        // reads still convert it.
        setting->type = SETTING_STRING;
        setting->string = StrDup(text->text);
    } else if (SettingsNameIs(type, L"num")) {
        // "%i" writes large and negative numbers with a minus sign; reading
        // it back gives the same 32 bits.
        setting->type = SETTING_NUM;
        setting->number = SettingsParseNumber(text->text, true);
    } else if (SettingsNameIs(type, L"bool")) {
        setting->type = SETTING_BOOL;
        setting->flag = SettingsNameIs(text->text, L"true") ? 1 : 0;
    }
    return setting;
}

SettingsNode* ReadNode(XmlElement* element) {
    XmlAttribute* name = FindAttribute(element, L"name");
    if (!name || !name->value || !*name->value) return nullptr;
    SettingsNode* node = SettingsNodeAdopt(StrDup(name->value));
    PtrArray* children = element->children;
    for (UINT i = 0; children && i < children->count; i++) {
        XmlNode* child = static_cast<XmlNode*>(children->items[i]);
        if (IsElementNamed(child, L"setting")) {
            Setting* setting = ReadSetting(static_cast<XmlElement*>(child));
            if (setting) SettingsNodeInsertSetting(node, setting);
        } else if (IsElementNamed(child, L"node")) {
            SettingsNode* inner = ReadNode(static_cast<XmlElement*>(child));
            if (inner) SettingsNodeInsertChild(node, inner);
        }
    }
    return node;
}

bool FileIsThere(const WCHAR* path) {
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
}  // namespace

void SettingsFreeProfiles() {
    if (Store.profiles) {
        for (UINT i = 0; i < Store.profiles->count; i++)
            SettingsNodeFree(static_cast<SettingsNode*>(Store.profiles->items[i]));
        Store.profiles->count = 0;
        PtrArrayReserve(Store.profiles, 0);
    }
    Store.current = 0;
    Store.defaultIndex = 0;
}

void SettingsLoad() {
    SettingsFreeProfiles();
    bool existed = FileIsThere(Store.path);
    WCHAR* defaultName = nullptr;
    // The document is read and thrown away here, so it lives in an arena that
    // goes as a whole; the store keeps heap copies of the strings it takes.
    XmlArena arena;
    XmlArenaInit(&arena);
    XmlDocument* document = XmlLoadFileIn(Store.path, &arena);
    XmlElement* root = document ? XmlGetRoot(document) : nullptr;
    PtrArray* children = root ? root->children : nullptr;
    for (UINT i = 0; children && i < children->count; i++) {
        XmlNode* child = static_cast<XmlNode*>(children->items[i]);
        if (IsElementNamed(child, L"profile")) {
            SettingsNode* profile = ReadNode(static_cast<XmlElement*>(child));
            if (profile) PtrArrayAdd(Store.profiles, profile);
        } else if (IsElementNamed(child, L"default")) {
            // A later default replaces an earlier one, an empty one included:
            // it then names no profile and the first one is taken.
            if (defaultName) MemFree(defaultName);
            XmlText* text = FirstText(static_cast<XmlElement*>(child));
            defaultName = text ? StrDup(text->text) : nullptr;
        }
    }
    XmlArenaFree(&arena);

    // A file that is there but gave nothing (locked, odd length, malformed,
    // or not a settings file at all) is the user's: it is kept before the
    // fresh store is saved over it.
    Store.keepUnreadable = existed && Store.profiles->count == 0;
    if (Store.profiles->count == 0) PtrArrayAdd(Store.profiles, SettingsNodeCreate(L"Default"));

    Store.current = 0;
    Store.defaultIndex = 0;
    if (defaultName) {
        for (UINT i = 0; i < Store.profiles->count; i++) {
            if (lstrcmpiW(static_cast<SettingsNode*>(Store.profiles->items[i])->name, defaultName) == 0) {
                Store.current = Store.defaultIndex = i;
                break;
            }
        }
        MemFree(defaultName);
    }
}
