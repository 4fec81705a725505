// Writing the profiles to Settings.xml at close. The file on disk is only ever
// replaced whole: the document goes to a temporary file in the same folder,
// is checked, and is then moved over the old one.
#include "core/runtime/memory.h"
#include "core/runtime/wstr.h"
#include "settings/settings_state.h"
#include "settings/xml.h"

namespace {
// How many unreadable copies of one file are kept before giving up.
const UINT kMaxKeptCopies = 9999;

XmlElement* NewElement(const WCHAR* name) {
    XmlElement* element = static_cast<XmlElement*>(XmlCreateNode(XML_ELEMENT));
    element->name = StrDup(name);
    return element;
}

// Takes ownership of text, a heap block.
void AppendText(XmlElement* element, WCHAR* text) {
    XmlText* node = static_cast<XmlText*>(XmlCreateNode(XML_TEXT));
    node->text = text;
    XmlAppendChild(element, node);
}

const WCHAR* TypeName(int type) {
    switch (type) {
    case SETTING_NUM: return L"num";
    case SETTING_STRING: return L"string";
    case SETTING_BOOL: return L"bool";
    default: return L"none";
    }
}

WCHAR* ValueText(const Setting* s) {
    switch (s->type) {
    case SETTING_NUM: {
        WCHAR text[16];
        wsprintfW(text, L"%i", s->number);
        return StrDup(text);
    }
    case SETTING_STRING: return StrDup(s->string ? s->string : L"");
    case SETTING_BOOL: return StrDup(s->flag ? L"true" : L"false");
    default: return StrDup(L"");
    }
}

XmlElement* BuildNode(const SettingsNode* node, const WCHAR* elementName) {
    XmlElement* element = NewElement(elementName);
    XmlAddAttribute(element, L"name", node->name);
    for (UINT i = 0; i < node->settings->count; i++) {
        const Setting* s = static_cast<const Setting*>(node->settings->items[i]);
        XmlElement* setting = NewElement(L"setting");
        XmlAddAttribute(setting, L"name", s->name);
        XmlAddAttribute(setting, L"type", TypeName(s->type));
        AppendText(setting, ValueText(s));
        XmlAppendChild(element, setting);
    }
    for (UINT i = 0; i < node->children->count; i++)
        XmlAppendChild(element, BuildNode(static_cast<const SettingsNode*>(node->children->items[i]), L"node"));
    return element;
}

XmlDocument* BuildDocument() {
    XmlDocument* document = static_cast<XmlDocument*>(XmlCreateNode(XML_DOCUMENT));
    XmlElement* root = NewElement(Store.rootName ? Store.rootName : L"profile");
    XmlSetRoot(document, root);
    XmlElement* defaultElement = NewElement(L"default");
    AppendText(defaultElement, StrDup(static_cast<SettingsNode*>(Store.profiles->items[Store.defaultIndex])->name));
    XmlAppendChild(root, defaultElement);
    for (UINT i = 0; i < Store.profiles->count; i++)
        XmlAppendChild(root, BuildNode(static_cast<SettingsNode*>(Store.profiles->items[i]), L"profile"));
    return document;
}

// The writer reports no failure, so the file it leaves is measured against
// the size its layout must have: byte-order mark, declaration line, one
// element per line indented with tabs (at most 16), CR LF line ends.
DWORD EscapedLength(const WCHAR* s) {
    DWORD n = 0;
    for (; s && *s; s++) {
        switch (*s) {
        case L'"':
        case L'\'': n += 6; break;
        case L'&': n += 5; break;
        case L'<':
        case L'>': n += 4; break;
        default: n += 1;
        }
    }
    return n;
}

DWORD ElementLength(const XmlElement* element, DWORD depth) {
    DWORD indent = depth < 16 ? depth : 16;
    DWORD name = static_cast<DWORD>(StrLen(element->name));
    DWORD n = indent + 1 + name;
    for (UINT i = 0; i < element->attributes->count; i++) {
        const XmlAttribute* a = static_cast<const XmlAttribute*>(element->attributes->items[i]);
        n += 1 + static_cast<DWORD>(StrLen(a->name)) + 2 + EscapedLength(a->value) + 1;
    }
    const PtrArray* children = element->children;
    if (children->count == 0) return n + 3 + 2;
    const XmlNode* first = static_cast<const XmlNode*>(children->items[0]);
    if (children->count == 1 && first->type == XML_TEXT)
        return n + 1 + EscapedLength(static_cast<const XmlText*>(first)->text) + 2 + name + 1 + 2;
    n += 1 + 2;
    for (UINT i = 0; i < children->count; i++) n += ElementLength(static_cast<const XmlElement*>(children->items[i]), depth + 1);
    return n + indent + 2 + name + 1 + 2;
}

DWORD DocumentBytes(const XmlDocument* document) {
    DWORD n = 1;                                                  // FF FE
    n += 5 + 9 + 1 + static_cast<DWORD>(StrLen(document->version)) + 1 + 1 + 2 + 2;  // declaration
    return (n + ElementLength(document->root, 0)) * sizeof(WCHAR);
}

// Copies the file that could not be read to "<path>.unreadable-<n>", never
// over an earlier copy. True when it is kept or no longer there.
bool KeepUnreadableFile(const WCHAR* path) {
    WCHAR kept[MAX_PATH + 32];
    for (UINT n = 1; n <= kMaxKeptCopies; n++) {
        wsprintfW(kept, L"%s.unreadable-%u", path, n);
        if (CopyFileW(path, kept, TRUE)) return true;
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return true;
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
    }
    return false;
}

void FolderOf(const WCHAR* path, WCHAR* folder) {
    StrCopyN(folder, path, MAX_PATH);
    WCHAR* cut = nullptr;
    for (WCHAR* p = folder; *p; p++)
        if (*p == L'\\' || *p == L'/') cut = p;
    if (cut)
        cut[cut == folder ? 1 : 0] = 0;
    else
        lstrcpyW(folder, L".");
}

bool WriteReplacing(XmlDocument* document, const WCHAR* path) {
    // A read-only file is not ours to replace. Writing it in place is refused
    // by the system; a rename over it is not refused everywhere (Wine allows
    // it), so it is checked here.
    DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
    WCHAR folder[MAX_PATH], temp[MAX_PATH];
    FolderOf(path, folder);
    if (!GetTempFileNameW(folder, L"tv2", 0, temp)) return false;
    HANDLE file = CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DeleteFileW(temp);
        return false;
    }
    XmlWriteDocument(document, file);
    bool complete = FlushFileBuffers(file) && GetFileSize(file, nullptr) == DocumentBytes(document);
    complete = CloseHandle(file) && complete;
    if (complete && MoveFileExW(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DeleteFileW(temp);
    return false;
}
}  // namespace

bool SettingsSave() {
    if (Store.keepUnreadable && !KeepUnreadableFile(Store.path)) return false;
    XmlDocument* document = BuildDocument();
    bool saved = WriteReplacing(document, Store.path);
    XmlFreeNode(document);
    return saved;
}
