// The Tovara2Module window: a child of the bar that hands almost every
// message to the module's own window procedure.
#include "core/runtime/app_state.h"
#include "plugins/module.h"
#include "plugins/package_guard.h"
#include "plugins/plugin_state.h"

const WCHAR kModuleClass[] = TV2_MODULE_CLASS;

namespace {
LONG g_classRefs;  // records alive; PluginThread only
ATOM g_classAtom;

ModuleRecord* ModuleFrom(HWND w) { return reinterpret_cast<ModuleRecord*>(GetWindowLongPtrW(w, 0)); }
}  // namespace

bool ModuleClassAddRef() {
    if (g_classRefs == 0) {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = ModuleWindowProc;
        wc.cbWndExtra = sizeof(ModuleRecord*);
        wc.hInstance = AppInstance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kModuleClass;
        g_classAtom = RegisterClassExW(&wc);
        if (!g_classAtom) return false;
    }
    g_classRefs++;
    return true;
}

void ModuleClassRelease() {
    if (g_classRefs > 0 && --g_classRefs == 0 && UnregisterClassW(kModuleClass, AppInstance)) g_classAtom = 0;
}

// By the class atom: asked for every message the PluginThread dispatches,
// where comparing class names cost a locale-aware string comparison each.
bool ModuleClassOf(HWND w) { return g_classAtom && GetClassWord(w, GCW_ATOM) == g_classAtom; }

// Restarts every module's one-second timer at the same moment, so that all
// of them fall due together and the idle PluginThread wakes once a second
// for all its modules instead of once for each (every wake-up is a round
// trip to the system, and under Wine to its server). Runs on the
// PluginThread, which owns the windows; the timers keep their phase after.
void ModuleTimersAlign() {
    ListLock lock(PluginSys.modules);
    PtrArray* all = PluginSys.modules.items;
    for (UINT i = 0; i < PtrArrayCount(all); i++) {
        ModuleRecord* m = static_cast<ModuleRecord*>(PtrArrayGet(all, i));
        if (m->window) SetTimer(m->window, TV2_MODULE_TIMER_ID, 1000, nullptr);
    }
}

LRESULT CALLBACK ModuleWindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_NCCREATE: {
        ModuleRecord* r = static_cast<ModuleRecord*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(w, 0, reinterpret_cast<LONG_PTR>(r));
        // Known from here on, so the module's WM_CREATE already finds its
        // window in its record.
        if (r) r->window = w;
        return TRUE;
    }
    case WM_NCDESTROY: {
        ModuleRecord* r = ModuleFrom(w);
        SetWindowLongPtrW(w, 0, 0);
        if (r && r->window == w) ModuleWindowGone(r);
        return TRUE;
    }
    case WM_MOVE:
    case WM_SIZE:
        RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE);
        return TRUE;
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(w, &r);
        FillRect(reinterpret_cast<HDC>(wp), &r, GetSysColorBrush(COLOR_BTNFACE));
        return TRUE;
    }
    case WM_CREATE:
        SetTimer(w, TV2_MODULE_TIMER_ID, 1000, nullptr);
        break;
    case WM_DESTROY:
        KillTimer(w, TV2_MODULE_TIMER_ID);
        break;
    case WM_CLOSE:
        DestroyWindow(w);
        break;
    }

    // A module that faulted still gets its WM_DESTROY, to release what it
    // holds; a failed package gets nothing.
    ModuleRecord* r = ModuleFrom(w);
    if (r && r->package && r->package->initialised && r->descriptor.windowProc && !PackageHasFailed(r->package) &&
        (!ModuleHasFaulted(r) || msg == WM_DESTROY)) {
        bool faulted = false;
        LRESULT result = ModuleCallProc(r, w, msg, wp, lp, &faulted);
        // A window whose creation faulted is not made at all.
        if (faulted && msg == WM_CREATE) return -1;
        if (msg != WM_DESTROY && result) return result;
    }

    switch (msg) {
    case WM_CONTEXTMENU:
        PostMessageW(GetParent(w), msg, wp, lp);
        return 0;
    case WM_DESTROY:
    case WM_CHANGEUISTATE:
    case WM_UPDATEUISTATE:
    case WM_QUERYUISTATE:
        return 0;
    }
    return DefWindowProcW(w, msg, wp, lp);
}
