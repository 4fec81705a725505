// Opening and closing the store, and its listeners.
#include "core/runtime/memory.h"
#include "core/runtime/wstr.h"
#include "settings/settings_state.h"

SettingsStoreState Store;

namespace {
CRITICAL_SECTION g_lock;
volatile LONG g_lockState;  // 0 not made, 1 being made, 2 ready

CRITICAL_SECTION* Lock() {
    if (g_lockState != 2) {
        if (InterlockedCompareExchange(&g_lockState, 1, 0) == 0) {
            InitializeCriticalSection(&g_lock);
            InterlockedExchange(&g_lockState, 2);
        } else {
            while (g_lockState != 2) Sleep(0);
        }
    }
    return &g_lock;
}
}  // namespace

void SettingsLock() { EnterCriticalSection(Lock()); }
void SettingsUnlock() { LeaveCriticalSection(Lock()); }

SettingsNode* SettingsCurrentProfile() {
    return static_cast<SettingsNode*>(PtrArrayGet(Store.profiles, Store.current));
}

namespace {
// The listener at index i, or null past the end; read under the lock since
// other threads add and remove listeners while this one notifies.
void* ListenerAt(UINT i) {
    StoreLock lock;
    return Store.listeners && i < Store.listeners->count ? Store.listeners->items[i] : nullptr;
}
}  // namespace

void SettingsNotify(UINT code, const WCHAR* path) {
    // Indexed afresh on every step: a listener may remove itself (or add
    // another) while it is being called, and the one that moved into its
    // slot must not be skipped. The lock is never held across the call:
    // listeners send requests to threads that may be writing settings.
    UINT i = 0;
    while (void* listener = ListenerAt(i)) {
        reinterpret_cast<SettingsListener>(listener)(code, path);
        if (ListenerAt(i) == listener) i++;
    }
}

int SettingsOpen(const WCHAR* rootName) {
    WCHAR path[MAX_PATH];
    SettingsLocateFile(path);
    return SettingsOpenFile(path, rootName);
}

int SettingsOpenFile(const WCHAR* path, const WCHAR* rootName) {
    if (!path || !*path) return 2;
    // A second open finishes the first store properly rather than dropping
    // what it holds.
    if (Store.open) SettingsClose();
    Store.rootName = rootName ? StrDup(rootName) : nullptr;
    StrCopyN(Store.path, path, MAX_PATH);
    Store.profiles = PtrArrayCreate();
    {
        StoreLock lock;
        if (!Store.listeners) Store.listeners = PtrArrayCreate();
    }
    Store.quiet = 0;
    Store.open = true;
    SettingsLoad();
    return 0;
}

int SettingsClose() {
    {
        StoreLock lock;
        if (Store.listeners) PtrArrayDestroy(Store.listeners);
        Store.listeners = nullptr;
    }
    if (!Store.open) return 0;
    bool saved = SettingsSave();
    SettingsFreeProfiles();
    PtrArrayDestroy(Store.profiles);
    Store.profiles = nullptr;
    if (Store.rootName) MemFree(Store.rootName);
    Store.rootName = nullptr;
    Store.path[0] = 0;
    Store.open = false;
    Store.keepUnreadable = false;
    Store.quiet = 0;
    return saved ? 0 : 2;
}

int SettingsWrite() {
    // Plug-in threads may be writing settings meanwhile.
    StoreLock lock;
    if (!Store.open) return 2;
    if (!SettingsSave()) return 2;
    // The unreadable file is kept now; the next save replaces our own.
    Store.keepUnreadable = false;
    return 0;
}

const WCHAR* SettingsFilePath() { return Store.open ? Store.path : nullptr; }

int SettingsAddListener(SettingsListener listener) {
    if (!listener) return 1;
    StoreLock lock;
    if (!Store.listeners) Store.listeners = PtrArrayCreate();
    PtrArrayAdd(Store.listeners, reinterpret_cast<void*>(listener));
    return 0;
}

int SettingsRemoveListener(SettingsListener listener) {
    if (!listener) return 1;
    StoreLock lock;
    if (Store.listeners) PtrArrayRemove(Store.listeners, reinterpret_cast<void*>(listener));
    return 0;
}
