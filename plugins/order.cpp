#include "plugins/order.h"

#include "core/runtime/memory.h"
#include "core/runtime/wstr.h"
#include "plugins/layout.h"
#include "plugins/module.h"
#include "plugins/plugin_state.h"
#include "settings/settings_store.h"

namespace {
const WCHAR kOrderKey[] = L"_order";
const int kKeyMax = MAX_PATH + MODULE_NAME_MAX + 2;

int CompareEntries(const void* a, const void* b) {
    return lstrcmpW(static_cast<const OrderEntry*>(a)->key, static_cast<const OrderEntry*>(b)->key);
}

// Binary search by key; caller holds the order lock.
OrderEntry* FindEntry(const WCHAR* key) {
    PtrArray* list = PluginSys.order.items;
    UINT lo = 0, hi = PtrArrayCount(list);
    while (lo < hi) {
        UINT mid = (lo + hi) / 2;
        OrderEntry* e = static_cast<OrderEntry*>(PtrArrayGet(list, mid));
        int c = lstrcmpW(e->key, key);
        if (c == 0) return e;
        if (c < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return nullptr;
}

// Adds key at the end unless present; caller holds the order lock.
void AddEntry(const WCHAR* key, int length) {
    OrderEntry* e = static_cast<OrderEntry*>(MemAlloc(sizeof(OrderEntry)));
    e->key = static_cast<WCHAR*>(MemAlloc((length + 1) * sizeof(WCHAR)));
    CopyMemory(e->key, key, length * sizeof(WCHAR));
    e->key[length] = 0;
    // A hand-edited _order may name a module twice: the first place counts.
    if (FindEntry(e->key)) {
        MemFree(e->key);
        MemFree(e);
        return;
    }
    e->position = PtrArrayCount(PluginSys.order.items);
    PtrArrayAddSorted(PluginSys.order.items, e, CompareEntries);
}

void ModuleKey(const ModuleRecord* m, WCHAR* key) {
    WCHAR name[MODULE_NAME_MAX + 1];
    ModuleGetName(m, name);
    const WCHAR* file = m->package && m->package->fileName ? m->package->fileName : L"";
    if (StrLen(file) > MAX_PATH) file = L"";
    wsprintfW(key, L"%s:%s", file, name);
}

// The module's entry, made at the end when missing; caller holds the order
// lock.
OrderEntry* EnsureModuleEntry(const ModuleRecord* m) {
    WCHAR key[kKeyMax];
    ModuleKey(m, key);
    OrderEntry* e = FindEntry(key);
    if (!e) {
        AddEntry(key, StrLen(key));
        e = FindEntry(key);
    }
    return e;
}

// Exchanges the positions of two modules' entries; caller holds the order
// lock.
void SwapPositions(const ModuleRecord* a, const ModuleRecord* b) {
    OrderEntry* ea = EnsureModuleEntry(a);
    OrderEntry* eb = EnsureModuleEntry(b);
    if (!ea || !eb || ea == eb) return;
    UINT p = ea->position;
    ea->position = eb->position;
    eb->position = p;
}

// Position of a module, or -1 without an entry.
LONGLONG ModulePosition(const ModuleRecord* m) {
    WCHAR key[kKeyMax];
    ModuleKey(m, key);
    ListLock lock(PluginSys.order);
    OrderEntry* e = FindEntry(key);
    return e ? static_cast<LONGLONG>(e->position) : -1;
}
}  // namespace

void OrderEmpty() {
    ListLock lock(PluginSys.order);
    PtrArray* list = PluginSys.order.items;
    for (UINT i = 0; i < PtrArrayCount(list); i++) {
        OrderEntry* e = static_cast<OrderEntry*>(PtrArrayGet(list, i));
        MemFree(e->key);
        MemFree(e);
    }
    while (PtrArrayCount(list)) PtrArrayRemoveAt(list, PtrArrayCount(list) - 1);
}

void OrderLoad() {
    OrderEmpty();
    WCHAR* text = nullptr;
    if (SettingsGetString(kOrderKey, &text) != 0) return;
    if (text) {
        ListLock lock(PluginSys.order);
        const WCHAR* p = text;
        while (*p) {
            const WCHAR* start = p;
            while (*p && *p != L',') p++;
            AddEntry(start, static_cast<int>(p - start));
            if (!*p) break;
            p++;           // the comma
            if (!*p) break;
            p++;           // and the space the writer puts after it
        }
        MemFree(text);
    }
    OrderSortModules();
    LayoutPost();
}

void OrderStore() {
    WCHAR* text;
    {
        ListLock lock(PluginSys.order);
        PtrArray* list = PluginSys.order.items;
        UINT n = PtrArrayCount(list);
        SIZE_T length = 1;
        for (UINT i = 0; i < n; i++) length += StrLen(static_cast<OrderEntry*>(PtrArrayGet(list, i))->key) + 2;
        // Positions are 0..n-1: place each key at its position.
        const WCHAR** byPosition = static_cast<const WCHAR**>(MemAllocZero((n + 1) * sizeof(WCHAR*)));
        for (UINT i = 0; i < n; i++) {
            OrderEntry* e = static_cast<OrderEntry*>(PtrArrayGet(list, i));
            if (e->position < n) byPosition[e->position] = e->key;
        }
        text = static_cast<WCHAR*>(MemAlloc(length * sizeof(WCHAR)));
        WCHAR* out = text;
        for (UINT i = 0; i < n; i++) {
            if (!byPosition[i]) continue;
            if (out != text) {
                *out++ = L',';
                *out++ = L' ';
            }
            int k = StrLen(byPosition[i]);
            CopyMemory(out, byPosition[i], k * sizeof(WCHAR));
            out += k;
        }
        *out = 0;
        MemFree(byPosition);
    }
    SettingsSetString(kOrderKey, text);
    MemFree(text);
}

void OrderEnsureEntry(const WCHAR* fileName, const WCHAR* moduleName) {
    if (!fileName || !moduleName || StrLen(fileName) > MAX_PATH || StrLen(moduleName) > MODULE_NAME_MAX) return;
    WCHAR key[kKeyMax];
    wsprintfW(key, L"%s:%s", fileName, moduleName);
    ListLock lock(PluginSys.order);
    AddEntry(key, StrLen(key));
}

int OrderCompareModules(const void* a, const void* b) {
    LONGLONG pa = ModulePosition(static_cast<const ModuleRecord*>(a));
    LONGLONG pb = ModulePosition(static_cast<const ModuleRecord*>(b));
    if (pa < 0 && pb < 0) return 0;
    if (pa < 0) return 1;
    if (pb < 0) return -1;
    return pa < pb ? -1 : (pa > pb ? 1 : 0);
}

void OrderSortModules() {
    ListLock lock(PluginSys.modules);
    PtrArraySort(PluginSys.modules.items, OrderCompareModules);
}

void OrderSwapModules(ModuleRecord* a, ModuleRecord* b) {
    if (!a || !b || a == b || !PluginSys.modules.items) return;
    {
        ListLock lock(PluginSys.order);
        SwapPositions(a, b);
    }
    OrderSortModules();
}

void OrderMoveModule(ModuleRecord* record, BOOL later) {
    if (!record || !PluginSys.modules.items) return;
    {
        // The whole move under the module lock, so the PluginThread cannot
        // change the list between the steps (module lock before order lock).
        ListLock modules(PluginSys.modules);
        PtrArray* list = PluginSys.modules.items;
        // The list follows the order, so each step is a swap of neighbours in
        // both.
        PtrArraySort(list, OrderCompareModules);
        UINT count = PtrArrayCount(list);
        UINT i = 0;
        while (i < count && PtrArrayGet(list, i) != record) i++;
        // Looked at only once it is known to be listed: callers on other
        // threads may hold a record that has gone.
        if (i == count || !ModuleIsVisible(record)) return;
        for (;;) {
            if (later ? i + 1 >= count : i == 0) break;
            UINT j = later ? i + 1 : i - 1;
            ModuleRecord* passed = static_cast<ModuleRecord*>(PtrArrayGet(list, j));
            {
                ListLock order(PluginSys.order);
                SwapPositions(record, passed);
            }
            PtrArraySort(list, OrderCompareModules);
            i = j;
            if (PtrArrayGet(list, i) != record) break;  // should not happen: keys collide
            if (ModuleIsVisible(passed)) break;
        }
    }
    LayoutPost();
}
