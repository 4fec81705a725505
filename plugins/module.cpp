#include "plugins/module.h"

#include "core/runtime/app_state.h"
#include "core/runtime/memory.h"
#include "core/runtime/wstr.h"
#include "plugins/fault_handling.h"
#include "plugins/layout.h"
#include "plugins/order.h"
#include "plugins/package_guard.h"
#include "plugins/plugin_state.h"
#include "settings/settings_store.h"

namespace {
// fileName "/" name "/_activated".
bool ActivatedPath(const ModuleRecord* record, WCHAR* path, int size) {
    if (!record->package || !record->package->fileName) return false;
    WCHAR name[MODULE_NAME_MAX + 1];
    ModuleGetName(record, name);
    if (StrLen(record->package->fileName) + StrLen(name) + 13 > size) return false;
    wsprintfW(path, L"%s/%s/_activated", record->package->fileName, name);
    return true;
}

void PostWelcome(WPARAM noModulesLeft) {
    if (PluginSys.host.showWelcome) PluginSys.host.showWelcome(noModulesLeft != 0);
}

// The host lists the modules (the configuration window's Plugins page).
void TellHostModulesChanged() {
    if (PluginSys.host.packagesChanged) PluginSys.host.packagesChanged();
}

UINT_PTR Register(const ModuleRegistration* request) {
    if (!request || !request->package || PackageHasFailed(request->package)) return MODULE_ERR_RECORD;
    if (!request->descriptor || !request->result) return MODULE_ERR_NULL;
    ModuleRecord* r = ModuleCreate(request->descriptor, request->package);
    if (!r) return MODULE_ERR_REQUEST;
    {
        ListLock lock(PluginSys.modules);
        PtrArrayAddSorted(PluginSys.modules.items, r, OrderCompareModules);
    }
    ModuleApplyActivated(r);
    *request->result = r;
    TellHostModulesChanged();
    return MODULE_OK;
}

// Only a window that was counted is uncounted: one the module refused in its
// WM_CREATE goes without ever having been.
void Uncount(ModuleRecord* r) {
    if (!EntryOf(r)->counted) return;
    EntryOf(r)->counted = false;
    if (PluginSys.windowCount > 0 && --PluginSys.windowCount == 0) PostWelcome(1);
}

UINT_PTR Activate(ModuleRecord* r) {
    if (PackageHasFailed(r->package)) return MODULE_ERR_REQUEST;
    // Activating again is the user's second chance after a fault.
    InterlockedExchange(&EntryOf(r)->faulted, 0);
    if (ModuleCreateWindow(r, PluginSys.bar) != 0) return MODULE_ERR_REQUEST;
    // A window that could not be made (or that the module refused in its
    // WM_CREATE) leaves the module inactive, and says so.
    if (!r->window) return MODULE_ERR_REQUEST;
    EntryOf(r)->counted = true;
    ModuleTimersAlign();
    ModuleNotifyLoadSettings(r);
    LayoutPost();
    PluginSys.windowCount++;
    PostWelcome(0);
    return MODULE_OK;
}

UINT_PTR Deactivate(ModuleRecord* r) {
    if (!ModuleHasWindow(r)) return MODULE_ERR_REQUEST;
    // On the way out the profile save has just asked every module to save.
    if (!PluginSys.stopping) ModuleNotifySaveSettings(r);
    ModuleDestroyWindow(r);
    LayoutPost();
    Uncount(r);
    return MODULE_OK;
}
}  // namespace

void ModuleWindowGone(ModuleRecord* record) {
    // Destroyed behind the host's back (WM_CLOSE, or DestroyWindow by the
    // module): the module is no longer active, and the bar closes its gap.
    record->window = nullptr;
    LayoutPost();
    Uncount(record);
}

void ModuleGetName(const ModuleRecord* record, WCHAR* name) {
    int n = 0;
    if (record)
        while (n < MODULE_NAME_MAX && record->descriptor.name[n]) {
            name[n] = record->descriptor.name[n];
            n++;
        }
    name[n] = 0;
}

ModuleRecord* ModuleCreate(const ModuleDescriptor* descriptor, PackageRecord* package) {
    if (!descriptor || !package) return nullptr;
    if (!ModuleClassAddRef()) return nullptr;
    ModuleRecord* r = static_cast<ModuleRecord*>(MemAllocZero(sizeof(ModuleEntry)));
    r->size = TV2_MODULE_RECORD_TAG;
    CopyMemory(&r->descriptor, descriptor, sizeof(ModuleDescriptor));
    r->package = package;
    return r;
}

int ModuleDestroy(ModuleRecord* record) {
    if (!record) return MODULE_ERR_NULL;
    if (record->window) DestroyWindow(record->window);
    MemFree(record);
    ModuleClassRelease();
    return MODULE_OK;
}

int ModuleCreateWindow(ModuleRecord* record, HWND bar) {
    if (!record) return MODULE_ERR_NULL;
    if (record->window) return MODULE_ERR_WINDOW;
    // The window procedure stores the handle at WM_NCCREATE, so the module
    // sees its own record complete from WM_CREATE on.
    HWND w = CreateWindowExW(WS_EX_NOPARENTNOTIFY, kModuleClass, nullptr, WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                             0, 0, 0, 0, bar, nullptr, AppInstance, record);
    record->window = w;
    if (w && record->descriptor.showOnCreate) ModuleShow(record);
    return MODULE_OK;
}

int ModuleDestroyWindow(ModuleRecord* record) {
    if (!record) return MODULE_ERR_NULL;
    if (!record->window) return MODULE_ERR_WINDOW;
    HWND w = record->window;
    record->window = nullptr;
    DestroyWindow(w);
    return MODULE_OK;
}

int ModuleShow(ModuleRecord* record) {
    if (!record) return MODULE_ERR_NULL;
    if (!record->window) return MODULE_ERR_WINDOW;
    ShowWindow(record->window, SW_SHOW);
    UpdateWindow(record->window);
    return MODULE_OK;
}

int ModuleHide(ModuleRecord* record) {
    if (!record) return MODULE_ERR_NULL;
    if (!record->window) return MODULE_ERR_WINDOW;
    ShowWindow(record->window, SW_HIDE);
    return MODULE_OK;
}

bool ModuleHasWindow(const ModuleRecord* record) { return record && record->window; }
bool ModuleIsVisible(const ModuleRecord* record) { return record && record->window && IsWindowVisible(record->window); }

int ModuleSetWidth(ModuleRecord* record, LONG width) {
    if (!record) return MODULE_ERR_NULL;
    record->descriptor.width = width;
    return MODULE_OK;
}

// Module code is called only while its package is initialised (unloading
// deactivates the modules before the package exits), and never after it
// faulted.
bool ModuleCallable(const ModuleRecord* record) {
    return record && record->window && record->descriptor.windowProc && record->package &&
           record->package->initialised && !PackageHasFailed(record->package) && !ModuleHasFaulted(record);
}

namespace {
// Module code runs on the PluginThread, where a fault in it is caught and a
// hang can be ended; other threads ask the PluginThread to make the call.
void NotifySettings(ModuleRecord* record, WPARAM which) {
    if (!MailboxIsOwner(PluginSys.pluginMailbox)) {
        ModuleRequest(which == SETTINGS_LOAD ? PT_SETTINGS_LOAD : PT_SETTINGS_SAVE,
                      reinterpret_cast<UINT_PTR>(record));
        return;
    }
    if (ModuleCallable(record)) ModuleCallProc(record, record->window, MODULE_MSG_SETTINGS, which, 0, nullptr);
}
}  // namespace

void ModuleNotifyLoadSettings(ModuleRecord* record) { NotifySettings(record, SETTINGS_LOAD); }

void ModuleNotifySaveSettings(ModuleRecord* record) { NotifySettings(record, SETTINGS_SAVE); }

void ModuleApplyActivated(ModuleRecord* record) {
    if (!record) return;
    WCHAR path[MAX_PATH + MODULE_NAME_MAX + 16];
    if (!ActivatedPath(record, path, MAX_PATH + MODULE_NAME_MAX + 16)) return;
    // The order entry first: once the window is up, a stop on another
    // thread may store the order at any moment, and must find the module.
    WCHAR name[MODULE_NAME_MAX + 1];
    ModuleGetName(record, name);
    OrderEnsureEntry(record->package->fileName, name);
    DWORD wanted = 0;
    if (SettingsGetBool(path, &wanted) != 0) wanted = 0;
    if (!wanted && ModuleHasWindow(record))
        ModuleRequest(PT_DEACTIVATE_MODULE, reinterpret_cast<UINT_PTR>(record));
    else if (wanted && !ModuleHasWindow(record))
        ModuleRequest(PT_ACTIVATE_MODULE, reinterpret_cast<UINT_PTR>(record));
}

void ModuleStoreActivated(ModuleRecord* record) {
    if (!record) return;
    WCHAR path[MAX_PATH + MODULE_NAME_MAX + 16];
    if (ActivatedPath(record, path, MAX_PATH + MODULE_NAME_MAX + 16))
        SettingsSetBool(path, ModuleHasWindow(record) ? 1 : 0);
}

PtrArray* ModulesOfPackage(const PackageRecord* package) {
    PtrArray* mine = PtrArrayCreate();
    ListLock lock(PluginSys.modules);
    PtrArray* all = PluginSys.modules.items;
    for (UINT i = 0; i < PtrArrayCount(all); i++) {
        ModuleRecord* m = static_cast<ModuleRecord*>(PtrArrayGet(all, i));
        if (m->package == package) PtrArrayAdd(mine, m);
    }
    return mine;
}

bool ModuleIsListed(const ModuleRecord* record) {
    return record && PluginSys.modules.items && ListContains(PluginSys.modules, record);
}

ModuleRecord* ModuleFind(const PackageRecord* package, const WCHAR* name) {
    if (!package || !name || !PluginSys.modules.items) return nullptr;
    ListLock lock(PluginSys.modules);
    PtrArray* list = PluginSys.modules.items;
    WCHAR own[MODULE_NAME_MAX + 1];
    for (UINT i = PtrArrayCount(list); i-- > 0;) {
        ModuleRecord* r = static_cast<ModuleRecord*>(PtrArrayGet(list, i));
        if (r->package != package) continue;
        ModuleGetName(r, own);
        if (lstrcmpW(own, name) == 0) return r;
    }
    return nullptr;
}

UINT_PTR ModuleRequest(UINT code, UINT_PTR parameter) {
    return MailboxSendFollowing(&PluginSys.pluginMailbox, code, parameter);
}

UINT_PTR WINAPI ModuleRequestHandler(UINT code, UINT_PTR parameter) {
    if (code == PT_REGISTER_MODULE) return Register(reinterpret_cast<const ModuleRegistration*>(parameter));
    if (code == PT_LAYOUT) {
        LayoutPass();
        return MODULE_OK;
    }
    if (code == PT_MODULE_FAULTED) {
        FaultHandleQueued(reinterpret_cast<void*>(parameter));
        return MODULE_OK;
    }
    if (code == PT_SETTINGS_LOAD || code == PT_SETTINGS_SAVE) {
        ModuleRecord* m = reinterpret_cast<ModuleRecord*>(parameter);
        if (!ModuleIsListed(m)) return MODULE_ERR_RECORD;
        NotifySettings(m, code == PT_SETTINGS_LOAD ? SETTINGS_LOAD : SETTINGS_SAVE);
        return MODULE_OK;
    }
    if (code < PT_UNREGISTER_MODULE || code > PT_HIDE_MODULE) return MODULE_OK;
    // A record that is not (or no longer) in the list is treated like a null
    // one: packages may hand back stale or foreign pointers.
    ModuleRecord* r = reinterpret_cast<ModuleRecord*>(parameter);
    if (!ModuleIsListed(r)) return MODULE_ERR_RECORD;
    switch (code) {
    case PT_UNREGISTER_MODULE:
        if (ModuleHasWindow(r)) Deactivate(r);
        {
            ListLock lock(PluginSys.modules);
            PtrArrayRemove(PluginSys.modules.items, r);
        }
        ModuleDestroy(r);
        TellHostModulesChanged();
        return MODULE_OK;
    case PT_ACTIVATE_MODULE:
        return Activate(r);
    case PT_DEACTIVATE_MODULE:
        return Deactivate(r);
    case PT_SHOW_MODULE:
        if (ModuleShow(r) != 0) return MODULE_ERR_REQUEST;
        LayoutPost();
        return MODULE_OK;
    case PT_HIDE_MODULE:
        if (ModuleHide(r) != 0) return MODULE_ERR_REQUEST;
        LayoutPost();
        return MODULE_OK;
    }
    return MODULE_OK;
}
