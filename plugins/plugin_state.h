#pragma once
// The state of the running plug-in system, shared by its files.
//
// Each list has one owning thread that changes it (packages: FolderWatcher;
// modules: PluginThread; order: whichever thread loads or extends it). Other
// threads read them too (profile load and save, the settings listener, the
// configuration pages), so every list has a lock: the changer holds it while
// changing, readers while walking or copying. Nobody holds a lock across a
// call into a package or a synchronous request, and a thread that holds the
// module lock may take the order lock, never the other way round.
#include <windows.h>

#include "core/runtime/ptr_array.h"
#include "plugins/mailbox.h"
#include "plugins/plugin_host.h"

struct LockedList {
    PtrArray* items;
    CRITICAL_SECTION lock;
};

// Holds a list's lock for one scope.
class ListLock {
public:
    explicit ListLock(LockedList& list) : lock_(&list.lock) { EnterCriticalSection(lock_); }
    ~ListLock() { LeaveCriticalSection(lock_); }
    ListLock(const ListLock&) = delete;
    ListLock& operator=(const ListLock&) = delete;

private:
    CRITICAL_SECTION* lock_;
};

struct PluginSystemState {
    bool started;
    HWND bar;          // host.window
    PluginHost host;
    LockedList packages;  // PackageRecord*, by fileName (lstrcmpW)
    LockedList modules;   // ModuleRecord*, in bar order
    LockedList order;     // OrderEntry*, by key (lstrcmpW)
    HANDLE stopEvent;
    HANDLE pluginThread;
    HANDLE watcherThread;
    HANDLE pluginReady;
    HANDLE watcherReady;
    ThreadMailbox* pluginMailbox;
    ThreadMailbox* watcherMailbox;
    volatile LONG firstScanDone;
    volatile LONG stopping;  // set when stop begins: no more scans add packages
    LONG windowCount;  // module windows alive; PluginThread only
};

// plugin_system.cpp: the state, and the list helpers every file uses.
extern PluginSystemState PluginSys;

// package.cpp: Plugins\ + name into a buffer of MAX_PATH characters; false
// when too long.
bool PluginsPath(const WCHAR* fileName, WCHAR* path);

// plugin_system.cpp: a copy of a list's items taken under its lock, for walking without it.
// Free with PtrArrayDestroy.
PtrArray* ListSnapshot(LockedList& list);
bool ListContains(LockedList& list, const void* item);
