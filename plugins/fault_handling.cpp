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
#include "plugins/plugin_state.h"
#include "settings/settings_store.h"
#include "resources/resource_ids.h"

namespace {
const int kChainLimit = 64;  // a parent/owner chain is never this long
const WORD kErrorIcon = IDI_TOVARA2_ERROR;

HHOOK g_filter;       // PluginThread only
LONG g_openReports;   // reports on screen, nested ones included

void DispatchOne(void* context) {
    MSG* m = static_cast<MSG*>(context);
    TranslateMessage(m);
    DispatchMessageW(m);
}

bool IsModuleWindow(HWND w) {
    WCHAR cls[32];
    return GetClassNameW(w, cls, 32) && lstrcmpW(cls, kModuleClass) == 0;
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

void WriteInactive(const ModuleRecord* r, const WCHAR* name) {
    const WCHAR* file = r->package ? r->package->fileName : nullptr;
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
        if (IsModuleWindow(w)) return w;
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
        Deactivate(r);
        WriteInactive(r, name);
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
    FaultInfo info = {};
    if (FaultGuardCall(DispatchOne, message, &info)) return;
    FaultHandle(message->hwnd, info.code);
}
