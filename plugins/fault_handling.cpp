// Deactivating a module that faulted and telling the user about it.
//
// The report is a modal box on the PluginThread, so the box's own loop serves
// the thread while it is open. A message filter hook for that time keeps the
// thread doing its whole job from inside the box: requests from other threads
// are executed (the box's loop would drop them, and their senders would wait
// for ever, the bar's exit among them), and module windows' messages are
// still dispatched inside the guard, so a second faulty module does not take
// the program down while the first report is on screen.
#include "plugins/fault_handling.h"

#include "controls/markup_msgbox.h"
#include "core/runtime/memory.h"
#include "core/runtime/wstr.h"
#include "plugins/fault_guard.h"
#include "plugins/fault_report.h"
#include "plugins/layout.h"
#include "plugins/module.h"
#include "plugins/package.h"
#include "plugins/package_guard.h"
#include "plugins/plugin_state.h"
#include "settings/settings_store.h"
#include "resources/resource_ids.h"

namespace {
const int kChainLimit = 64;  // a parent/owner chain is never this long
const WORD kErrorIcon = IDI_TOVARA2_ERROR;

HHOOK g_filter;       // PluginThread only
LONG g_openReports;   // reports on screen, nested ones included
volatile LONG g_detachedReports;  // FaultShowDetached's, any thread

struct QueuedFault {
    DWORD code;
    WCHAR fileName[MAX_PATH];
    WCHAR packageName[100];
    WCHAR moduleName[MODULE_NAME_MAX + 1];
};

struct DetachedReport {
    WCHAR* text;
    const WCHAR* header;
};

void DispatchOne(void* context) {
    MSG* m = static_cast<MSG*>(context);
    TranslateMessage(m);
    DispatchMessageW(m);
}

// The listed module whose window this is, or null.
ModuleRecord* ModuleOfWindow(HWND moduleWindow) {
    if (!moduleWindow) return nullptr;
    ModuleRecord* r = reinterpret_cast<ModuleRecord*>(GetWindowLongPtrW(moduleWindow, 0));
    if (!r || !ModuleIsListed(r) || r->window != moduleWindow) return nullptr;
    return r;
}

void DestroyGuarded(void* context) { DestroyWindow(*static_cast<HWND*>(context)); }

// Takes the module off the bar without calling it with SETTINGS_SAVE: its
// code has just failed, and whatever it would save now is suspect. The
// window goes as at any deactivation (its WM_DESTROY still reaches the module
// so it can release what it holds, guarded); the record's bookkeeping follows
// the window's WM_NCDESTROY.
void Deactivate(ModuleRecord* r) {
    HWND w = r->window;
    FaultInfo again;
    if (!FaultGuardCall(DestroyGuarded, &w, &again) && IsWindow(w)) {
        // It faulted once more while being destroyed: finish without it.
        SetWindowLongPtrW(w, 0, 0);
        DestroyWindow(w);
    }
    if (r->window == w) ModuleWindowGone(r);
}

void WriteInactive(const WCHAR* file, const WCHAR* name) {
    if (!file) return;
    int length = StrLen(file) + StrLen(name) + 13;
    WCHAR* path = static_cast<WCHAR*>(MemAlloc((length + 1) * sizeof(WCHAR)));
    wsprintfW(path, L"%s/%s/_activated", file, name);
    SettingsSetBool(path, 0);
    MemFree(path);
}

bool IsModuleMessage(const MSG* m) { return m->hwnd && FaultModuleWindowOf(m->hwnd); }

LRESULT CALLBACK ReportFilter(int code, WPARAM wp, LPARAM lp) {
    MSG* m = reinterpret_cast<MSG*>(lp);
    if (code >= 0 && m && PluginSys.pluginMailbox && MailboxIsOwner(PluginSys.pluginMailbox)) {
        if (MailboxIsRequest(m)) {
            MailboxDispatch(PluginSys.pluginMailbox, m);
            return TRUE;
        }
        if (IsModuleMessage(m)) {
            FaultGuardedDispatch(m);
            return TRUE;
        }
    }
    return CallNextHookEx(g_filter, code, wp, lp);
}

DWORD WINAPI DetachedReportMain(void* context) {
    DetachedReport* r = static_cast<DetachedReport*>(context);
    MarkupMessageBox(nullptr, r->text, r->header, FAULT_REPORT_TITLE, MMB_ERROR, kErrorIcon);
    MemFree(r->text);
    MemFree(r);
    InterlockedDecrement(&g_detachedReports);
    return 0;
}

void ShowReport(const WCHAR* text) {
    if (g_openReports++ == 0) g_filter = SetWindowsHookExW(WH_MSGFILTER, ReportFilter, nullptr, GetCurrentThreadId());
    MarkupMessageBox(nullptr, text, FAULT_REPORT_HEADER, FAULT_REPORT_TITLE, MMB_ERROR, kErrorIcon);
    if (--g_openReports == 0 && g_filter) {
        UnhookWindowsHookEx(g_filter);
        g_filter = nullptr;
    }
}
}  // namespace

HWND FaultModuleWindowOf(HWND window) {
    // GetParent gives a child's parent and a popup's owner, so both lead
    // back to the module that made them.
    HWND w = window;
    for (int i = 0; w && i < kChainLimit; i++) {
        if (ModuleClassOf(w)) return w;
        w = GetParent(w);
    }
    return nullptr;
}

void FaultHandle(HWND window, DWORD code) {
    ModuleRecord* r = ModuleOfWindow(FaultModuleWindowOf(window));
    WCHAR name[MODULE_NAME_MAX + 1] = L"";
    const WCHAR* packageName = nullptr;
    const WCHAR* fileName = nullptr;
    if (r) {
        ModuleGetName(r, name);
        packageName = r->package ? r->package->name : nullptr;
        fileName = r->package ? r->package->fileName : nullptr;
        InterlockedExchange(&EntryOf(r)->faulted, 1);
        Deactivate(r);
        WriteInactive(fileName, name);
    }
    // The names are copied into the text before anything else can unload
    // the package.
    WCHAR* text = FaultReportText(name, packageName, fileName, code);
    ModuleRequest(PT_LAYOUT, 0);
    if (text) {
        ShowReport(text);
        MemFree(text);
    }
}

void FaultGuardedDispatch(MSG* message) {
    // A window a module made (a child, a popup) runs the module's code
    // outside its window procedure: watched as the module's. The module
    // window itself is watched by its own procedure.
    HWND moduleWindow = message->hwnd ? FaultModuleWindowOf(message->hwnd) : nullptr;
    ModuleRecord* r = moduleWindow && moduleWindow != message->hwnd ? ModuleOfWindow(moduleWindow) : nullptr;
    FaultInfo info = {};
    if (PackageGuardedCall(r ? r->package : nullptr, r, message->message, DispatchOne, message, &info)) return;
    FaultHandle(message->hwnd, info.code);
}

void FaultQueueModule(ModuleRecord* record, DWORD code) {
    QueuedFault* f = static_cast<QueuedFault*>(MemAllocZero(sizeof(QueuedFault)));
    f->code = code;
    ModuleGetName(record, f->moduleName);
    if (record->package) {
        StrCopyN(f->fileName, record->package->fileName ? record->package->fileName : L"", MAX_PATH);
        StrCopyN(f->packageName, record->package->name ? record->package->name : L"", 100);
    }
    MailboxPost(PluginSys.pluginMailbox, PT_MODULE_FAULTED, reinterpret_cast<UINT_PTR>(f));
}

void FaultHandleQueued(void* fault) {
    QueuedFault* f = static_cast<QueuedFault*>(fault);
    if (!f) return;
    // Found again by its names: the record may have gone meanwhile (it
    // faulted while being unregistered).
    ModuleRecord* r = ModuleFind(PackageFind(f->fileName), f->moduleName);
    if (r && ModuleHasFaulted(r) && r->window) Deactivate(r);
    WriteInactive(f->fileName, f->moduleName);
    WCHAR* text = FaultReportText(f->moduleName, f->packageName, f->fileName, f->code);
    MemFree(f);
    ModuleRequest(PT_LAYOUT, 0);
    if (!text) return;
    // On the way out the thread must not wait for the user, and the report
    // must outlive it.
    if (PluginSys.stopping) {
        FaultShowDetached(text, FAULT_REPORT_HEADER);
        return;
    }
    ShowReport(text);
    MemFree(text);
}

void FaultShowDetached(WCHAR* text, const WCHAR* header) {
    DetachedReport* r = static_cast<DetachedReport*>(MemAlloc(sizeof(DetachedReport)));
    r->text = text;
    r->header = header;
    InterlockedIncrement(&g_detachedReports);
    HANDLE thread = CreateThread(nullptr, 0, DetachedReportMain, r, 0, nullptr);
    if (thread) {
        CloseHandle(thread);
        return;
    }
    InterlockedDecrement(&g_detachedReports);
    MemFree(text);
    MemFree(r);
}

bool FaultReportsOpen() { return g_detachedReports > 0; }

void FaultReportsWait() {
    while (g_detachedReports > 0) Sleep(50);
}

void FaultReportsReset() {
    g_filter = nullptr;
    g_openReports = 0;
}
