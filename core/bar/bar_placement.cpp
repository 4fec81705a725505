// Where the bar sits: docking with the shell, and the geometry services that
// other windows use to stand beside the bar or in the middle of its monitor.
#include <windows.h>
#include <shellapi.h>

#include "core/runtime/app_state.h"
#include "core/bar/bar_geometry.h"
#include "core/bar/bar_window.h"

void BarReposition() {
    HWND w = Bar.window;
    if (!w) return;
    UINT position = Bar.position;
    APPBARDATA abd = {};
    abd.cbSize = sizeof(abd);
    abd.hWnd = w;
    abd.uEdge = position == BAR_BOTTOM ? ABE_BOTTOM : ABE_TOP;
    BarGetMonitorRect(&abd.rc);
    int band = Bar.autohide ? BAR_COLLAPSED_HEIGHT : BAR_HEIGHT;

    // The shell may move the edges away from other toolbars, twice.
    SHAppBarMessage(ABM_QUERYPOS, &abd);
    BarClipBand(&abd.rc, position, band);
    SHAppBarMessage(ABM_SETPOS, &abd);

    // Expanded by autohide, the window reaches over the desktop beyond the
    // reserved band.
    RECT r = BarWindowRectOf(abd.rc, position, band, Bar.autohide && !Bar.collapsed);
    SetWindowPos(w, HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
}

void BarGetModuleArea(RECT* area) {
    RECT client = {0, 0, 0, 0};
    if (Bar.window) GetClientRect(Bar.window, &client);
    *area = BarModuleAreaOf(client, Bar.position);
}

BOOL BarCenterWindow(HWND window, int width, int height, DWORD style, DWORD exStyle) {
    RECT monitor;
    BarGetMonitorRect(&monitor);
    RECT r = BarCenteredRect(monitor, width, height);
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, 0);
}

void BarFitPopupRect(RECT* rect) {
    RECT monitor, bar = {0, 0, 0, 0};
    BarGetMonitorRect(&monitor);
    if (Bar.window) GetWindowRect(Bar.window, &bar);
    BarFitRect(monitor, bar, Bar.position, rect);
}
