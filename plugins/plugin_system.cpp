// Start and stop of the plug-in system, the profile load and save of packages
// and modules, and the settings listener that applies _loaded and _activated.
#include "plugins/plugin_system.h"

#include "core/runtime/memory.h"
#include "core/runtime/wstr.h"
#include "plugins/layout.h"
#include "plugins/module.h"
#include "plugins/order.h"
#include "plugins/package.h"
#include "plugins/plugin_state.h"
#include "plugins/plugin_threads.h"
#include "settings/settings_store.h"

PluginSystemState PluginSys;

namespace {
const DWORD kReadyWaitMs = 3000;
const DWORD kStopWaitMs = 3000;

void ListInit(LockedList& list) {
    list.items = PtrArrayCreate();
    InitializeCriticalSection(&list.lock);
}

void ListFree(LockedList& list) {
    if (!list.items) return;
    PtrArrayDestroy(list.items);
    list.items = nullptr;
    DeleteCriticalSection(&list.lock);
}

void CloseOwned(HANDLE& h) {
    if (h) CloseHandle(h);
    h = nullptr;
}

bool StartThread(LPTHREAD_START_ROUTINE main, ThreadMailbox* mailbox, HANDLE ready, HANDLE* thread) {
    *thread = CreateThread(nullptr, 0, main, nullptr, CREATE_SUSPENDED, nullptr);
    if (!*thread) return false;
    // Known before the thread runs, so a send can always tell it has ended.
    MailboxSetThread(mailbox, *thread);
    ResumeThread(*thread);
    WaitForSingleObject(ready, kReadyWaitMs);
    return true;
}

// Splits "a/b/rest" at its first two slashes; returns the number of parts.
int SplitPath(WCHAR* path, WCHAR** parts) {
    int n = 1;
    parts[0] = path;
    for (WCHAR* p = path; *p && n < 3; p++) {
        if (*p == L'/') {
            *p = 0;
            parts[n++] = p + 1;
        }
    }
    return n;
}

void OnSettingChanged(const WCHAR* path) {
    if (!path) return;
    WCHAR* copy = StrDup(path);
    WCHAR* parts[3];
    int n = SplitPath(copy, parts);
    if (n == 1) {
        if (parts[0][0] == L'_') LayoutRereadAlignmentAndStyle();
    } else {
        PackageRecord* package = PackageFind(parts[0]);
        if (package && n == 2 && parts[1][0] == L'_') {
            PackageApplyLoaded(package);
        } else if (package && n == 3 && parts[2][0] == L'_') {
            ModuleRecord* module = ModuleFind(package, parts[1]);
            if (module) ModuleApplyActivated(module);
        }
    }
    MemFree(copy);
}

void PluginSettingsListener(UINT code, const WCHAR* path) {
    switch (LOWORD(code)) {
    case SN_PROFILE_LEAVING:
        PluginProfileSave();
        break;
    case SN_PROFILE_CHANGED:
        PluginProfileLoad();
        break;
    case SN_SETTING_CHANGED:
        OnSettingChanged(path);
        break;
    }
}
}  // namespace

PtrArray* ListSnapshot(LockedList& list) {
    PtrArray* copy = PtrArrayCreate();
    if (!list.items) return copy;
    ListLock lock(list);
    PtrArrayReserve(copy, PtrArrayCount(list.items));
    for (UINT i = 0; i < PtrArrayCount(list.items); i++) PtrArrayAdd(copy, PtrArrayGet(list.items, i));
    return copy;
}

bool ListContains(LockedList& list, const void* item) {
    if (!item || !list.items) return false;
    ListLock lock(list);
    for (UINT i = 0; i < PtrArrayCount(list.items); i++)
        if (PtrArrayGet(list.items, i) == item) return true;
    return false;
}

void PluginsVisit(PluginVisitor visit, void* context) {
    if (!PluginSys.started) return;
    {
        ListLock lock(PluginSys.packages);
        for (UINT i = 0; i < PtrArrayCount(PluginSys.packages.items); i++)
            visit(context, static_cast<PackageRecord*>(PtrArrayGet(PluginSys.packages.items, i)), nullptr);
    }
    // A module's package outlives it: packages unregister their modules
    // before they leave the list.
    ListLock lock(PluginSys.modules);
    for (UINT i = 0; i < PtrArrayCount(PluginSys.modules.items); i++) {
        ModuleRecord* m = static_cast<ModuleRecord*>(PtrArrayGet(PluginSys.modules.items, i));
        visit(context, m->package, m);
    }
}

void PluginProfileLoad() {
    if (!PluginSys.started) return;
    LayoutRereadAlignmentAndStyle();
    OrderLoad();
    // Walked on copies: the owners may change the lists meanwhile, and each
    // record is checked to be still listed before it is used.
    PtrArray* packages = ListSnapshot(PluginSys.packages);
    for (UINT i = 0; i < PtrArrayCount(packages); i++) {
        PackageRecord* p = static_cast<PackageRecord*>(PtrArrayGet(packages, i));
        if (!PackageIsListed(p)) continue;
        PackageApplyLoaded(p);
        if (PackageIsListed(p) && PackageIsLoaded(p)) PackageLoadSettings(p);
    }
    PtrArrayDestroy(packages);
    PtrArray* modules = ListSnapshot(PluginSys.modules);
    for (UINT i = 0; i < PtrArrayCount(modules); i++) {
        ModuleRecord* m = static_cast<ModuleRecord*>(PtrArrayGet(modules, i));
        if (!ModuleIsListed(m)) continue;
        ModuleApplyActivated(m);
        if (ModuleIsListed(m)) ModuleNotifyLoadSettings(m);
    }
    PtrArrayDestroy(modules);
}

void PluginProfileSave() {
    if (!PluginSys.started) return;
    PtrArray* modules = ListSnapshot(PluginSys.modules);
    for (UINT i = 0; i < PtrArrayCount(modules); i++) {
        ModuleRecord* m = static_cast<ModuleRecord*>(PtrArrayGet(modules, i));
        if (!ModuleIsListed(m)) continue;
        ModuleNotifySaveSettings(m);
        ModuleStoreActivated(m);
    }
    PtrArrayDestroy(modules);
    PtrArray* packages = ListSnapshot(PluginSys.packages);
    for (UINT i = 0; i < PtrArrayCount(packages); i++) {
        PackageRecord* p = static_cast<PackageRecord*>(PtrArrayGet(packages, i));
        if (!PackageIsListed(p)) continue;
        PackageSaveSettings(p);
        PackageStoreLoaded(p);
    }
    PtrArrayDestroy(packages);
    OrderStore();
    LayoutStoreAlignmentAndStyle();
}

bool PluginSystemStart(const PluginHost* host) {
    if (PluginSys.started) return true;
    if (!CreateDirectoryW(L"Plugins\\", nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;

    PluginSys.host = *host;
    PluginSys.bar = host->window;
    ListInit(PluginSys.packages);
    ListInit(PluginSys.modules);
    ListInit(PluginSys.order);
    PluginSys.stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    PluginSys.firstScanDone = 0;
    PluginSys.stopping = 0;
    PluginSys.windowCount = 0;
    PluginSys.started = true;
    LayoutResetAlignmentAndStyle();

    PluginSys.pluginMailbox = MailboxCreate(ModuleRequestHandler);
    PluginSys.pluginReady = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    StartThread(PluginThreadMain, PluginSys.pluginMailbox, PluginSys.pluginReady, &PluginSys.pluginThread);

    PluginSys.watcherMailbox = MailboxCreate(PackageRequestHandler);
    PluginSys.watcherReady = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    StartThread(FolderWatcherMain, PluginSys.watcherMailbox, PluginSys.watcherReady, &PluginSys.watcherThread);

    PluginProfileLoad();
    SettingsAddListener(PluginSettingsListener);
    return true;
}

void PluginSystemStop() {
    if (!PluginSys.started) return;
    SettingsRemoveListener(PluginSettingsListener);
    PluginProfileSave();
    InterlockedExchange(&PluginSys.stopping, 1);

    // Every package exits and is unloaded on the FolderWatcher, its modules
    // unregistered on the PluginThread. Should the FolderWatcher be gone,
    // the same work is done here, so no package misses its PKG_EXIT.
    for (;;) {
        PackageRecord* first;
        {
            ListLock lock(PluginSys.packages);
            first = static_cast<PackageRecord*>(PtrArrayGet(PluginSys.packages.items, 0));
        }
        if (!first) break;
        if (PackageRequest(FW_REMOVE_PACKAGE, reinterpret_cast<UINT_PTR>(first)) == MAILBOX_FAILED &&
            PackageIsListed(first))
            PackageRequestHandler(FW_REMOVE_PACKAGE, reinterpret_cast<UINT_PTR>(first));
    }
    OrderEmpty();

    SetEvent(PluginSys.stopEvent);
    HANDLE threads[2] = {PluginSys.watcherThread, PluginSys.pluginThread};
    DWORD count = 0;
    HANDLE running[2];
    for (HANDLE t : threads)
        if (t) running[count++] = t;
    if (count && WaitForMultipleObjects(count, running, TRUE, kStopWaitMs) == WAIT_TIMEOUT)
        for (DWORD i = 0; i < count; i++) TerminateThread(running[i], 1);

    // Modules a dead PluginThread could not unregister: their windows went
    // with the thread.
    for (UINT i = 0; i < PtrArrayCount(PluginSys.modules.items); i++) {
        ModuleRecord* m = static_cast<ModuleRecord*>(PtrArrayGet(PluginSys.modules.items, i));
        m->window = nullptr;
        ModuleDestroy(m);
    }

    CloseOwned(PluginSys.stopEvent);
    CloseOwned(PluginSys.watcherThread);
    CloseOwned(PluginSys.pluginThread);
    CloseOwned(PluginSys.watcherReady);
    CloseOwned(PluginSys.pluginReady);
    MailboxDestroy(PluginSys.watcherMailbox);
    MailboxDestroy(PluginSys.pluginMailbox);
    PluginSys.watcherMailbox = nullptr;
    PluginSys.pluginMailbox = nullptr;
    ListFree(PluginSys.packages);
    ListFree(PluginSys.modules);
    ListFree(PluginSys.order);
    PluginSys.bar = nullptr;
    PluginSys.started = false;
}
