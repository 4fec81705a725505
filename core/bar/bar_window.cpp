// The bar's window class and procedure: creation and destruction, painting,
// the desktop-toolbar protocol and the hand-off of every other message to
// the behaviour that owns it (core/bar_behaviours.h).
#include "core/bar/bar_window.h"
#include "core/bar/monitors.h"

#include <shellapi.h>

#include "core/runtime/app_state.h"
#include "core/bar/bar_behaviours.h"
#include "config/config_window.h"
#include "plugins/layout.h"
#include "plugins/plugin_system.h"
#include "settings/settings_store.h"
#include "resources/resource_ids.h"

#ifndef _WIN64
static_assert(sizeof(APPBARDATA) == 36, "the shell expects the 36-byte toolbar record");
#endif

BarState Bar = {nullptr, BAR_TOP, 0, 0, 0, 100, 0, 1};

namespace {
const WCHAR kBarClass[] = L"Tovara2 Main Window";

// Set once creation has gone all the way: a refused creation also ends in
// WM_DESTROY, and that must not save settings or post WM_QUIT into the
// message box that reports the failure.
bool BarCreated;

void BarShellRegister(HWND w) {
    APPBARDATA abd = {};
    abd.cbSize = sizeof(abd);
    abd.hWnd = w;
    abd.uCallbackMessage = BARM_APPBAR;
    SHAppBarMessage(ABM_NEW, &abd);
}

void BarShellCall(HWND w, DWORD message) {
    APPBARDATA abd = {};
    abd.cbSize = sizeof(abd);
    abd.hWnd = w;
    SHAppBarMessage(message, &abd);
}

// Module windows appear or the last one goes: posted, since the plug-in
// threads call this and the bar may be waiting on them.
void BarShowWelcomeLater(bool noModulesLeft) {
    if (Bar.window) PostMessageW(Bar.window, BARM_SHOWWELCOME, noModulesLeft ? 1 : 0, 0);
}

LRESULT BarOnCreate(HWND w) {
    ShowWindow(w, SW_HIDE);
    Bar.taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    Bar.window = w;

    APPBARDATA abd = {};
    abd.cbSize = sizeof(abd);
    abd.hWnd = w;
    abd.uCallbackMessage = BARM_APPBAR;
    if (!SHAppBarMessage(ABM_NEW, &abd)) return -1;

    BarLoadSettings(nullptr);
    UpdateWindow(w);
    ShowWindow(w, SW_SHOW);
    PluginHost host = {w, BarGetModuleArea, BarFitPopupRect, BarShowWelcomeLater, ConfigWindowPackagesChanged};
    PluginSystemStart(&host);
    SettingsAddListener(BarOnSettingsEvent);
    DragAcceptFiles(w, TRUE);
    BarCreated = true;
    return 0;
}

void BarOnDestroy(HWND w) {
    if (!BarCreated) return;
    BarCreated = false;
    DragAcceptFiles(w, FALSE);
    SettingsRemoveListener(BarOnSettingsEvent);
    PluginSystemStop();
    BarStopEffects(w);
    BarSaveSettings();
    BarShellCall(w, ABM_REMOVE);
    PostQuitMessage(0);
}

void BarOnEraseBackground(HWND w, HDC dc) {
    RECT r;
    GetClientRect(w, &r);
    // The face, and one raised line along the side that faces the desktop.
    DrawEdge(dc, &r, EDGE_RAISED, BF_MIDDLE | (Bar.position == BAR_BOTTOM ? BF_TOP : BF_BOTTOM));
    if (!(Bar.autohide && Bar.collapsed)) ModulesDrawFrames(w, dc);
}

void BarOnWindowPosChanged(HWND w, const WINDOWPOS* pos) {
    BarShellCall(w, ABM_WINDOWPOSCHANGED);
    if ((pos->flags & SWP_NOMOVE) && (pos->flags & SWP_NOSIZE)) return;
    if (!(pos->flags & SWP_NOREDRAW)) RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE);
    if (IsWindowVisible(w)) LayoutPost();
    BarPlaceWelcome(w);
}

void BarOnAppBar(HWND w, WPARAM code, LPARAM arg) {
    switch (code) {
    case ABN_POSCHANGED:
        MonitorsRefresh();
        BarReposition();
        break;
    case ABN_FULLSCREENAPP:
        BarOnFullScreen(w, arg ? 1 : 0);
        break;
    }
}

LRESULT CALLBACK BarProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: return BarOnCreate(w);
    case WM_DESTROY: BarOnDestroy(w); return 0;
    case WM_NCDESTROY:
        if (Bar.window == w) Bar.window = nullptr;
        break;
    case WM_ACTIVATE:
        BarShellCall(w, ABM_ACTIVATE);
        BarOnActivate(w, LOWORD(wp));
        return 0;
    case WM_CLOSE: BarExitRule(w); return 0;
    case WM_ERASEBKGND: BarOnEraseBackground(w, reinterpret_cast<HDC>(wp)); return 1;
    case WM_WINDOWPOSCHANGED: BarOnWindowPosChanged(w, reinterpret_cast<const WINDOWPOS*>(lp)); return 0;
    case WM_CONTEXTMENU: BarShowMenu(w); return 0;
    case WM_NCHITTEST: BarOnHitTest(w); break;
    case WM_CHAR: BarOnChar(w, static_cast<WCHAR>(wp)); return 0;
    case WM_COMMAND: BarOnCommand(w, wp, lp); return 0;
    case WM_TIMER:
        if (wp == TIMER_AUTOHIDE)
            BarOnAutohideTimer(w);
        else if (wp == TIMER_SHAKE)
            BarOnShakeTimer(w);
        else if (wp == TIMER_DISCO)
            BarOnDiscoTimer(w);
        return 0;
    case WM_LBUTTONDBLCLK: BarOnDoubleClick(w); return 0;
    case WM_DROPFILES:
        BarInstallDroppedFiles(reinterpret_cast<HDROP>(wp));
        DragFinish(reinterpret_cast<HDROP>(wp));
        return 0;
    case BARM_APPBAR: BarOnAppBar(w, wp, lp); return 0;
    case BARM_SHOWWELCOME: BarShowWelcome(w, wp); return 0;
    default:
        // The shell restarted: join its list of toolbars again; the band is
        // reserved anew at the next reposition.
        if (msg == Bar.taskbarCreated && msg != 0) BarShellRegister(w);
        break;
    }
    return DefWindowProcW(w, msg, wp, lp);
}
}  // namespace

bool BarRegisterClass() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = BarProc;
    wc.hInstance = AppInstance;
    wc.hIcon = LoadIconW(AppInstance, MAKEINTRESOURCEW(IDI_TOVARA2));
    wc.hIconSm = wc.hIcon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kBarClass;
    return RegisterClassExW(&wc) != 0;
}

void BarUnregisterClass() { UnregisterClassW(kBarClass, AppInstance); }

bool BarCreateWindow() {
    HWND w = CreateWindowExW(WS_EX_TOOLWINDOW, kBarClass, L"Tovara2", WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
                             0, 0, 0, nullptr, nullptr, AppInstance, nullptr);
    return w != nullptr;
}

HWND BarGetWindow() { return Bar.window; }
