// Guarded calls into package code, and what a failed package costs.
#include "plugins/package_guard.h"

#include "core/runtime/memory.h"
#include "core/runtime/wstr.h"
#include "plugins/fault_guard.h"
#include "plugins/fault_handling.h"
#include "plugins/fault_report.h"
#include "plugins/module.h"
#include "plugins/package.h"
#include "plugins/plugin_state.h"
#include "settings/settings_store.h"

namespace {
// The watch of the plug-in thread we run on, or null elsewhere (the main
// thread, threads of packages): only the plug-in threads can be replaced
// when they hang, so only they are watched.
ThreadWatch* CurrentWatch() {
    DWORD self = GetCurrentThreadId();
    ThreadMailbox* plugin = PluginSys.pluginMailbox;
    ThreadMailbox* watcher = PluginSys.watcherMailbox;
    if (plugin && plugin->threadId == self) return &PluginSys.pluginWatch;
    if (watcher && watcher->threadId == self) return &PluginSys.watcherWatch;
    return nullptr;
}

// One call into a package on the watched thread; calls nest (a module's
// procedure may send to another module), and the innermost is the one shown.
class WatchedCall {
public:
    WatchedCall(PackageRecord* package, const ModuleRecord* module, UINT what) : w_(CurrentWatch()) {
        if (!w_) return;
        package_ = w_->package;
        module_ = w_->module;
        what_ = w_->what;
        since_ = w_->since;
        inHost_ = w_->inHost;
        w_->package = package;
        w_->module = module;
        w_->what = what;
        w_->since = GetTickCount();
        w_->inHost = 0;
        InterlockedIncrement(&w_->serial);
        InterlockedIncrement(&w_->depth);
    }
    ~WatchedCall() {
        if (!w_) return;
        InterlockedDecrement(&w_->depth);
        w_->package = package_;
        w_->module = module_;
        w_->what = what_;
        w_->since = since_;
        w_->inHost = inHost_;
        InterlockedIncrement(&w_->serial);
    }
    WatchedCall(const WatchedCall&) = delete;
    WatchedCall& operator=(const WatchedCall&) = delete;

private:
    ThreadWatch* w_;
    PackageRecord* package_ = nullptr;
    const ModuleRecord* module_ = nullptr;
    UINT what_ = 0;
    DWORD since_ = 0;
    LONG inHost_ = 0;
};

struct EntryCall {
    TV2PackageProcFn entry;
    UINT message;
    UINT_PTR arg1, arg2, result;
};

void RunEntry(void* context) {
    EntryCall* c = static_cast<EntryCall*>(context);
    c->result = c->entry(c->message, c->arg1, c->arg2);
}

struct ProcCall {
    WNDPROC proc;
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
};

void RunProc(void* context) {
    ProcCall* c = static_cast<ProcCall*>(context);
    c->result = c->proc(c->window, c->message, c->wParam, c->lParam);
}

const WCHAR* const kEntryNames[] = {L"PKG_GET_INFO", L"PKG_INIT", L"PKG_EXIT", L"PKG_LOAD_SETTINGS",
                                    L"PKG_SAVE_SETTINGS", L"PKG_SHOW_OPTIONS", L"PKG_HIDE_OPTIONS"};

// Where a package's code was: "PKG_INIT", or "SETTINGS_LOAD of module 'x'".
void DescribeCall(UINT what, const WCHAR* moduleName, WCHAR* out) {
    if (!moduleName) {
        if (what >= PKG_GET_INFO && what <= PKG_HIDE_OPTIONS)
            lstrcpyW(out, kEntryNames[what - PKG_GET_INFO]);
        else
            wsprintfW(out, L"message 0x%04X of a window of it", what);
        return;
    }
    WCHAR name[40];
    StrCopyN(name, moduleName, 40);
    if (what == SETTINGS_LOAD || what == SETTINGS_SAVE)
        wsprintfW(out, L"%s of module '%s'", what == SETTINGS_LOAD ? L"SETTINGS_LOAD" : L"SETTINGS_SAVE", name);
    else
        wsprintfW(out, L"message 0x%04X of module '%s'", what, name);
}

void DispatchOne(void* context) {
    MSG* m = static_cast<MSG*>(context);
    TranslateMessage(m);
    DispatchMessageW(m);
}

// The listed package whose library holds address, or null.
PackageRecord* PackageOfAddress(DWORD_PTR address) {
    PtrArray* packages = ListSnapshot(PluginSys.packages);
    PackageRecord* found = nullptr;
    for (UINT i = 0; i < PtrArrayCount(packages) && !found; i++) {
        PackageRecord* p = static_cast<PackageRecord*>(PtrArrayGet(packages, i));
        BYTE* base = reinterpret_cast<BYTE*>(p->module);
        if (!base) continue;
        IMAGE_NT_HEADERS* nt =
            reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
        if (address >= reinterpret_cast<DWORD_PTR>(base) &&
            address < reinterpret_cast<DWORD_PTR>(base) + nt->OptionalHeader.SizeOfImage)
            found = p;
    }
    PtrArrayDestroy(packages);
    return found;
}

void WriteNotLoaded(const WCHAR* fileName) {
    if (!fileName) return;
    WCHAR* path = static_cast<WCHAR*>(MemAlloc((StrLen(fileName) + 10) * sizeof(WCHAR)));
    wsprintfW(path, L"%s/_loaded", fileName);
    SettingsSetBool(path, 0);
    MemFree(path);
}
}  // namespace

bool PackageGuardedCall(PackageRecord* package, const ModuleRecord* module, UINT what, FaultGuardProc proc,
                        void* context, FaultInfo* info) {
    WatchedCall watched(package, module, what);
    return FaultGuardCall(proc, context, info);
}

void PackageDispatchGuarded(MSG* message) {
    PackageRecord* owner =
        message->hwnd ? PackageOfAddress(static_cast<DWORD_PTR>(GetWindowLongPtrW(message->hwnd, GWLP_WNDPROC)))
                      : nullptr;
    FaultInfo info = {};
    if (PackageGuardedCall(owner, nullptr, message->message, DispatchOne, message, &info)) return;
    if (owner && PackageMarkFailed(owner)) PackageCompleteFailure(owner, message->message, nullptr, info.code, false);
}

bool PackageHasFailed(const PackageRecord* record) { return record && EntryOf(record)->failed; }
bool ModuleHasFaulted(const ModuleRecord* record) { return record && EntryOf(record)->faulted; }

bool PackageMarkFailed(PackageRecord* record) {
    return record && InterlockedExchange(&EntryOf(record)->failed, 1) == 0;
}

bool PackageCallEntry(PackageRecord* record, UINT message, UINT_PTR arg1, UINT_PTR arg2, UINT_PTR* result) {
    if (!record || !record->entry || PackageHasFailed(record)) return false;
    EntryCall call = {reinterpret_cast<TV2PackageProcFn>(record->entry), message, arg1, arg2, 0};
    FaultInfo info = {};
    bool returned;
    {
        WatchedCall watched(record, nullptr, message);
        returned = FaultGuardCall(RunEntry, &call, &info);
    }
    if (returned) {
        if (result) *result = call.result;
        return true;
    }
    if (PackageMarkFailed(record)) PackageCompleteFailure(record, message, nullptr, info.code, false);
    return false;
}

LRESULT ModuleCallProc(ModuleRecord* record, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                       bool* faulted) {
    ProcCall call = {record->descriptor.windowProc, window, message, wParam, lParam, 0};
    FaultInfo info = {};
    bool returned;
    {
        WatchedCall watched(record->package, record,
                            message == MODULE_MSG_SETTINGS ? static_cast<UINT>(wParam) : message);
        returned = FaultGuardCall(RunProc, &call, &info);
    }
    if (returned) return call.result;
    if (faulted) *faulted = true;
    if (InterlockedExchange(&EntryOf(record)->faulted, 1) == 0) FaultQueueModule(record, info.code);
    return 0;
}

void PackageCompleteFailure(PackageRecord* record, UINT what, const WCHAR* moduleName, DWORD code, bool hung) {
    WCHAR where[96];
    DescribeCall(what, moduleName, where);
    // Copied before anything else: the package is about to look unloaded.
    WCHAR* text = FaultPackageReportText(record->name, record->fileName, where, code, hung);
    // From now on it counts as not loaded (the profile stores it so) and is
    // never called; the library is left mapped.
    record->initialised = 0;
    record->entry = nullptr;
    record->module = nullptr;

    PtrArray* mine = ModulesOfPackage(record);
    for (UINT i = 0; i < PtrArrayCount(mine); i++)
        ModuleRequest(PT_UNREGISTER_MODULE, reinterpret_cast<UINT_PTR>(PtrArrayGet(mine, i)));
    PtrArrayDestroy(mine);

    WriteNotLoaded(record->fileName);
    if (what == PKG_GET_INFO && !moduleName) PackageMarkInfoFailed(record->fileName);
    if (text) FaultShowDetached(text, hung ? FAULT_HANG_HEADER : FAULT_PACKAGE_HEADER);
}

void WatchEnterHost() {
    ThreadWatch* w = CurrentWatch();
    if (w && w->depth) InterlockedIncrement(&w->inHost);
}

void WatchLeaveHost() {
    ThreadWatch* w = CurrentWatch();
    if (w && w->depth && w->inHost) InterlockedDecrement(&w->inHost);
}
