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
#include "plugins/tovara2_sdk.h"

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

// What the host keeps about a package or module beside the published record.
// The record comes first, so the pointer packages hold is the entry's.
struct PackageEntry {
    PackageRecord record;
    // Its code faulted or stopped responding: it is never called again in
    // this session, and its library stays mapped (code of it may still run
    // on threads it started).
    volatile LONG failed;
};

struct ModuleEntry {
    ModuleRecord record;
    volatile LONG faulted;  // its code faulted: only its WM_DESTROY still reaches it
    bool counted;           // its window is in PluginSys.windowCount
};

inline PackageEntry* EntryOf(const PackageRecord* r) {
    return reinterpret_cast<PackageEntry*>(const_cast<PackageRecord*>(r));
}
inline ModuleEntry* EntryOf(const ModuleRecord* r) {
    return reinterpret_cast<ModuleEntry*>(const_cast<ModuleRecord*>(r));
}

// What one plug-in thread is doing in package code, for the watchdog: set by
// the thread around every call into a package (package_guard.cpp), read by
// the watchdog (watchdog.cpp) to tell a hang from a long but live call.
struct ThreadWatch {
    volatile LONG depth;    // calls into package code in progress on the thread
    volatile LONG inHost;   // the innermost of them is calling back into the host
    volatile LONG serial;   // counts calls, so the watchdog can tell one from the next
    volatile DWORD since;   // when the innermost began
    PackageRecord* volatile package;    // whose code the innermost runs
    const ModuleRecord* volatile module;  // and which module, for a module call
    volatile UINT what;     // the PKG_ message, or the message sent to the module
    HWND probe;             // a window of the thread's own: answers when it pumps
    HANDLE thread;
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
    ThreadWatch pluginWatch;
    ThreadWatch watcherWatch;
    HANDLE watchdogThread;
    // Threads and mailboxes given up on a hang: kept until stop, since
    // senders may still be looking at them.
    PtrArray* retired;
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
