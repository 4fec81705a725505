// Adoption by a creation hook of the thread (so windows made later, by any
// code of the package, are covered too), and a procedure that calls the
// window's own one inside the fault guard.
#include "config/options_guard.h"

#include "plugins/fault_guard.h"

namespace {
const WCHAR kOwnProc[] = L"Tovara2OptionsProc";

struct OptionsGuardState {
    HWND panel;
    HWND owner;
    UINT message;
    HHOOK hook;
    bool told;  // one report per watch
};
OptionsGuardState Guard;

struct ProcCall {
    WNDPROC proc;
    HWND window;
    UINT msg;
    WPARAM wp;
    LPARAM lp;
    LRESULT result;
};

void CallOwnProc(void* context) {
    ProcCall* c = static_cast<ProcCall*>(context);
    c->result = CallWindowProcW(c->proc, c->window, c->msg, c->wp, c->lp);
}

LRESULT CALLBACK GuardedProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    WNDPROC own = reinterpret_cast<WNDPROC>(GetPropW(w, kOwnProc));
    if (!own) return DefWindowProcW(w, msg, wp, lp);
    ProcCall call = {own, w, msg, wp, lp, 0};
    FaultInfo info = {};
    bool returned = FaultGuardCall(CallOwnProc, &call, &info);
    if (msg == WM_NCDESTROY) RemovePropW(w, kOwnProc);
    if (returned) return call.result;
    if (!Guard.told && Guard.owner) {
        Guard.told = true;
        PostMessageW(Guard.owner, Guard.message, info.code, 0);
    }
    return 0;
}

void Adopt(HWND w) {
    WNDPROC own = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(w, GWLP_WNDPROC));
    if (!own || own == GuardedProc || GetPropW(w, kOwnProc)) return;
    SetPropW(w, kOwnProc, reinterpret_cast<HANDLE>(own));
    SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GuardedProc));
}

bool InPanel(HWND parent) { return Guard.panel && parent && (parent == Guard.panel || IsChild(Guard.panel, parent)); }

LRESULT CALLBACK CreationHook(int code, WPARAM wp, LPARAM lp) {
    // Subclassed before its first message: WM_NCCREATE is guarded too.
    if (code == HCBT_CREATEWND && InPanel(reinterpret_cast<CBT_CREATEWNDW*>(lp)->lpcs->hwndParent))
        Adopt(reinterpret_cast<HWND>(wp));
    return CallNextHookEx(Guard.hook, code, wp, lp);
}
}  // namespace

void OptionsGuardBegin(HWND panel, HWND owner, UINT message) {
    OptionsGuardEnd();
    Guard.panel = panel;
    Guard.owner = owner;
    Guard.message = message;
    Guard.told = false;
    Guard.hook = SetWindowsHookExW(WH_CBT, CreationHook, nullptr, GetCurrentThreadId());
}

void OptionsGuardEnd() {
    if (Guard.hook) UnhookWindowsHookEx(Guard.hook);
    Guard.hook = nullptr;
    Guard.panel = nullptr;
}
