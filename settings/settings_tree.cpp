#include "settings/settings_tree.h"

#include "core/runtime/memory.h"
#include "core/runtime/wstr.h"
#include "settings/settings_store.h"

namespace {
int CompareSettings(const void* a, const void* b) {
    return SettingsNameOrder(static_cast<const Setting*>(a)->name, static_cast<const Setting*>(b)->name);
}

int CompareNodes(const void* a, const void* b) {
    return SettingsNameOrder(static_cast<const SettingsNode*>(a)->name, static_cast<const SettingsNode*>(b)->name);
}

const WCHAR* SettingName(const void* item) { return static_cast<const Setting*>(item)->name; }
const WCHAR* NodeName(const void* item) { return static_cast<const SettingsNode*>(item)->name; }

// The list is sorted ignoring case, so a case-respecting binary search cannot
// be trusted within a run of names that differ only in case (their order is
// insertion order, not case order). Search for the end of that run ignoring
// case, then walk back through it for the exact name.
int FindExact(const PtrArray* list, const WCHAR* name, const WCHAR* (*nameOf)(const void*)) {
    UINT lo = 0, hi = list->count;
    while (lo < hi) {
        UINT mid = lo + (hi - lo) / 2;
        if (SettingsNameOrder(nameOf(list->items[mid]), name) <= 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    for (UINT i = lo; i > 0; i--) {
        const WCHAR* candidate = nameOf(list->items[i - 1]);
        if (lstrcmpiW(candidate, name) != 0) break;
        if (lstrcmpW(candidate, name) == 0) return static_cast<int>(i - 1);
    }
    return -1;
}

Setting* CopySetting(const Setting* source) {
    Setting* copy = SettingCreate(source->name);
    copy->type = source->type;
    copy->number = source->number;
    copy->flag = source->flag;
    copy->string = source->string ? StrDup(source->string) : nullptr;
    return copy;
}

// Same names, same order: the source's lists are already sorted.
SettingsNode* DeepCopy(const SettingsNode* source) {
    SettingsNode* copy = SettingsNodeCreate(source->name);
    for (UINT i = 0; i < source->settings->count; i++)
        PtrArrayAdd(copy->settings, CopySetting(static_cast<const Setting*>(source->settings->items[i])));
    for (UINT i = 0; i < source->children->count; i++)
        PtrArrayAdd(copy->children, DeepCopy(static_cast<const SettingsNode*>(source->children->items[i])));
    return copy;
}
}  // namespace

SettingsNode* SettingsNodeAdopt(WCHAR* name) {
    SettingsNode* node = static_cast<SettingsNode*>(MemAllocZero(sizeof(SettingsNode)));
    node->name = name;
    node->settings = PtrArrayCreate();
    node->children = PtrArrayCreate();
    return node;
}

// A setting's name never changes, so it lives in the setting's own block:
// one heap block fewer per setting to take at load and to free at close.
Setting* SettingCreate(const WCHAR* name) {
    SIZE_T length = static_cast<SIZE_T>(StrLen(name)) + 1;
    Setting* setting = static_cast<Setting*>(MemAllocZero(sizeof(Setting) + length * sizeof(WCHAR)));
    setting->type = SETTING_NONE;
    setting->name = reinterpret_cast<WCHAR*>(setting + 1);
    CopyMemory(setting->name, name, length * sizeof(WCHAR));
    return setting;
}

SettingsNode* SettingsNodeCreate(const WCHAR* name) { return SettingsNodeAdopt(StrDup(name)); }

void SettingFree(Setting* setting) {
    if (!setting) return;
    if (setting->string) MemFree(setting->string);
    MemFree(setting);
}

void SettingsNodeFree(SettingsNode* node) {
    if (!node) return;
    for (UINT i = 0; i < node->settings->count; i++) SettingFree(static_cast<Setting*>(node->settings->items[i]));
    for (UINT i = 0; i < node->children->count; i++)
        SettingsNodeFree(static_cast<SettingsNode*>(node->children->items[i]));
    PtrArrayDestroy(node->settings);
    PtrArrayDestroy(node->children);
    MemFree(node->name);
    MemFree(node);
}

void SettingsNodeInsertSetting(SettingsNode* node, Setting* setting) {
    PtrArrayAddSorted(node->settings, setting, CompareSettings);
}

void SettingsNodeInsertChild(SettingsNode* node, SettingsNode* child) {
    PtrArrayAddSorted(node->children, child, CompareNodes);
}

int SettingsFindSetting(const SettingsNode* node, const WCHAR* name) {
    return FindExact(node->settings, name, SettingName);
}

int SettingsFindChild(const SettingsNode* node, const WCHAR* name) {
    return FindExact(node->children, name, NodeName);
}

void SettingsNodeCopyInto(SettingsNode* destination, const SettingsNode* source) {
    // Copied whole first and moved over after, so that copying a profile into
    // itself does not walk the entries it is adding.
    SettingsNode* copy = DeepCopy(source);
    // Inserted by name rather than appended: appending to a list that already
    // holds entries would break the order every lookup relies on. For an
    // empty destination the result is the source's order either way.
    for (UINT i = 0; i < copy->settings->count; i++)
        SettingsNodeInsertSetting(destination, static_cast<Setting*>(copy->settings->items[i]));
    for (UINT i = 0; i < copy->children->count; i++)
        SettingsNodeInsertChild(destination, static_cast<SettingsNode*>(copy->children->items[i]));
    copy->settings->count = 0;
    copy->children->count = 0;
    SettingsNodeFree(copy);
}

DWORD SettingsParseNumber(const WCHAR* text, bool allowMinus) {
    if (!text) return 0;
    bool negative = allowMinus && *text == L'-';
    if (negative) text++;
    DWORD value = 0;
    for (; *text >= L'0' && *text <= L'9'; text++) value = value * 10 + static_cast<DWORD>(*text - L'0');
    return negative ? 0u - value : value;
}

bool SettingsNameIs(const WCHAR* name, const WCHAR* keyword) {
    if (!name) return false;
    const WCHAR* a = name;
    const WCHAR* b = keyword;
    for (; *a && *b; a++, b++) {
        if (*a < 0x20 || *a > 0x7E) return lstrcmpiW(name, keyword) == 0;
        WCHAR x = *a >= L'A' && *a <= L'Z' ? static_cast<WCHAR>(*a + 32) : *a;
        WCHAR y = *b >= L'A' && *b <= L'Z' ? static_cast<WCHAR>(*b + 32) : *b;
        if (x != y) {
            for (const WCHAR* rest = a; *rest; rest++)
                if (*rest < 0x20 || *rest > 0x7E) return lstrcmpiW(name, keyword) == 0;
            return false;
        }
    }
    if (*a) {
        for (; *a; a++)
            if (*a < 0x20 || *a > 0x7E) return lstrcmpiW(name, keyword) == 0;
        return false;
    }
    return *b == 0;
}

int SettingsNameOrder(const WCHAR* a, const WCHAR* b) {
    const WCHAR *x = a, *y = b;
    while (*x && *x == *y) x++, y++;
    // Up to here both hold the very same characters; where both go on with
    // a different decimal digit, the platform's order is decided by those
    // two digits at its first level, whatever follows: digits have weights
    // of their own, in their order, and join no other character into one
    // sorting element. Names that differ in a number (Module01, Module02)
    // are ordered without the platform's comparison, which is slow under
    // Wine.
    if (*x >= L'0' && *x <= L'9' && *y >= L'0' && *y <= L'9') return *x < *y ? -1 : 1;
    return lstrcmpiW(a, b);
}
