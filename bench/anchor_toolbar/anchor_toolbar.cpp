// The start-up anchor: the least a desktop toolbar program can do. No C
// runtime; registers a 28-pixel bar at the top of the screen with the shell
// (ABM_NEW, ABM_QUERYPOS, ABM_SETPOS), shows and paints it, and leaves the
// shell's list on WM_CLOSE. Globals, so that nothing needs memset.
#include <windows.h>
#include <shellapi.h>

namespace {
const UINT kCallback = WM_APP + 1;
WNDCLASSW g_class;
APPBARDATA g_appbar;
PAINTSTRUCT g_paint;
RECT g_client;
MSG g_msg;

void Dock(HWND w) {
    g_appbar.cbSize = sizeof(g_appbar);
    g_appbar.hWnd = w;
    g_appbar.uCallbackMessage = kCallback;
    SHAppBarMessage(ABM_NEW, &g_appbar);
    g_appbar.uEdge = ABE_TOP;
    SetRect(&g_appbar.rc, 0, 0, GetSystemMetrics(SM_CXSCREEN), 28);
    SHAppBarMessage(ABM_QUERYPOS, &g_appbar);
    g_appbar.rc.bottom = g_appbar.rc.top + 28;
    SHAppBarMessage(ABM_SETPOS, &g_appbar);
    MoveWindow(w, g_appbar.rc.left, g_appbar.rc.top, g_appbar.rc.right - g_appbar.rc.left, 28, FALSE);
}

LRESULT CALLBACK BarProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        HDC dc = BeginPaint(w, &g_paint);
        GetClientRect(w, &g_client);
        FillRect(dc, &g_client, GetSysColorBrush(COLOR_BTNFACE));
        SetBkMode(dc, TRANSPARENT);
        TextOutW(dc, 8, 6, L"anchor", 6);
        EndPaint(w, &g_paint);
        return 0;
    }
    case WM_CLOSE:
        SHAppBarMessage(ABM_REMOVE, &g_appbar);
        DestroyWindow(w);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(w, msg, wp, lp);
}
}  // namespace

extern "C" void __cdecl AnchorEntry() {
    g_class.lpfnWndProc = BarProc;
    g_class.hInstance = GetModuleHandleW(nullptr);
    g_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    g_class.lpszClassName = L"AnchorToolbar";
    RegisterClassW(&g_class);
    HWND w = CreateWindowExW(WS_EX_TOOLWINDOW, L"AnchorToolbar", L"anchor", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 0, 0,
                             nullptr, nullptr, g_class.hInstance, nullptr);
    Dock(w);
    ShowWindow(w, SW_SHOW);
    while (GetMessageW(&g_msg, nullptr, 0, 0) > 0) DispatchMessageW(&g_msg);
    ExitProcess(0);
}
