// TEMPORARY bar: a plain 28-pixel strip across the top of the primary
// monitor that ends the program on WM_CLOSE. The docking bar replaces it.
#include "core/bar_window.h"

#include "core/app_state.h"
#include "core/owners.h"
#include "plugins/plugin_system.h"

namespace {
const WCHAR kBarClass[] = L"Tovara2 Main Window";
const int kBarHeight = 28;

void BarOnPaint(HWND w) {
    ScopedPaint dc(w);
    RECT r;
    GetClientRect(w, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    r.top = r.bottom - 2;
    DrawEdge(dc, &r, BDR_RAISEDINNER, BF_TOP);
}

LRESULT CALLBACK BarProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT:
        BarOnPaint(w);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_CREATE:
        return PluginSystemStart(w) ? 0 : -1;
    case WM_DESTROY:
        PluginSystemStop();
        PostQuitMessage(0);
        return 0;
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
    wc.hIcon = LoadIconW(AppInstance, MAKEINTRESOURCEW(32512));
    wc.hIconSm = wc.hIcon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kBarClass;
    return RegisterClassExW(&wc) != 0;
}

void BarUnregisterClass() { UnregisterClassW(kBarClass, AppInstance); }

bool BarCreateWindow() {
    HWND w = CreateWindowExW(WS_EX_TOOLWINDOW, kBarClass, L"Tovara2", WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                             0, 0, 0, 0, nullptr, nullptr, AppInstance, nullptr);
    if (!w) return false;
    SetWindowPos(w, HWND_TOPMOST, 0, 0, GetSystemMetrics(SM_CXSCREEN), kBarHeight, SWP_SHOWWINDOW);
    return true;
}
