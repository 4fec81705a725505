#pragma once
// The in-memory tree behind the store: a profile is a SettingsNode, the top
// of its tree. Only the settings files use these directly.
#include <windows.h>

#include "core/runtime/ptr_array.h"

struct Setting {
    int type;  // SettingType
    WCHAR* name;
    DWORD number;
    WCHAR* string;  // owned; null unless a string was stored
    DWORD flag;
};

struct SettingsNode {
    WCHAR* name;  // never empty
    PtrArray* settings;  // Setting*, name order
    PtrArray* children;  // SettingsNode*, name order
};

// Both take their own copy of the name; a setting keeps it in its own block.
SettingsNode* SettingsNodeCreate(const WCHAR* name);
Setting* SettingCreate(const WCHAR* name);
// Takes over name, a heap block.
SettingsNode* SettingsNodeAdopt(WCHAR* name);
void SettingsNodeFree(SettingsNode* node);
void SettingFree(Setting* setting);
// Everything under source, in its order, inserted by name into destination.
void SettingsNodeCopyInto(SettingsNode* destination, const SettingsNode* source);

// Name order: sorted ignoring case, equal names in insertion order.
void SettingsNodeInsertSetting(SettingsNode* node, Setting* setting);
void SettingsNodeInsertChild(SettingsNode* node, SettingsNode* child);
// Exact, case-respecting lookups; of several entries with that very name the
// last one. Returns the index, or -1 when there is none.
int SettingsFindSetting(const SettingsNode* node, const WCHAR* name);
int SettingsFindChild(const SettingsNode* node, const WCHAR* name);

// Name order: negative, 0 or positive as lstrcmpiW(a, b) is.
int SettingsNameOrder(const WCHAR* a, const WCHAR* b);

// Leading '0'-'9' as an unsigned number in 32-bit arithmetic; 0 when the text
// starts with anything else. allowMinus also takes one leading '-' and
// negates the result in the same arithmetic.
DWORD SettingsParseNumber(const WCHAR* text, bool allowMinus);

// lstrcmpiW(name, keyword) == 0 for a printable ASCII keyword. Names of
// printable ASCII are folded here, which gives the same answer without the
// platform's collation; anything else is left to lstrcmpiW.
bool SettingsNameIs(const WCHAR* name, const WCHAR* keyword);
