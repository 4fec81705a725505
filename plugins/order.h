#pragma once
// The user's order of the modules on the bar and its setting _order.
#include <windows.h>

struct OrderEntry {
    WCHAR* key;     // fileName ":" module name
    UINT position;  // 0..n-1, each once
};

void OrderLoad();
void OrderStore();
void OrderEmpty();
void OrderEnsureEntry(const WCHAR* fileName, const WCHAR* moduleName);
// Module list order: by position; modules with an entry first.
int OrderCompareModules(const void* a, const void* b);
// Re-sorts the module list by the order.
void OrderSortModules();

struct ModuleRecord;
// Exchanges the places of two modules (giving either an entry at the end
// first if it has none) and re-sorts the module list.
void OrderSwapModules(ModuleRecord* a, ModuleRecord* b);
// Moves a visible module one step earlier or later: past exactly one visible
// module and any hidden or inactive ones before it; then lays the bar out.
// Any thread (the Plugins page calls it).
void OrderMoveModule(ModuleRecord* record, BOOL later);
