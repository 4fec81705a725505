// The idle anchor: a 28-pixel strip at the top of the screen with six child
// windows, 16 pixels high, each showing the time and repainted once a second
// from one timer, as six clocks would be. No C runtime; globals, so that
// nothing needs memset.
#include <windows.h>

namespace {
const int kChildren = 6;
WNDCLASSW g_class;
PAINTSTRUCT g_paint;
RECT g_client;
SYSTEMTIME g_now;
WCHAR g_text[32];
int g_length;
MSG g_msg;
HWND g_children[kChildren];

LRESULT CALLBACK ClockProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_PAINT) return DefWindowProcW(w, msg, wp, lp);
    HDC dc = BeginPaint(w, &g_paint);
    GetClientRect(w, &g_client);
    FillRect(dc, &g_client, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, 2, 1, g_text, g_length);
    EndPaint(w, &g_paint);
    return 0;
}

LRESULT CALLBACK StripProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_TIMER:
        GetLocalTime(&g_now);
        g_length = wsprintfW(g_text, L"%02u:%02u:%02u", g_now.wHour, g_now.wMinute, g_now.wSecond);
        for (int i = 0; i < kChildren; i++) InvalidateRect(g_children[i], nullptr, FALSE);
        return 0;
    case WM_ERASEBKGND: return 1;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(w, msg, wp, lp);
}

void Register(const wchar_t* name, WNDPROC proc) {
    g_class.lpfnWndProc = proc;
    g_class.hInstance = GetModuleHandleW(nullptr);
    g_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    g_class.lpszClassName = name;
    RegisterClassW(&g_class);
}
}  // namespace

extern "C" void __cdecl AnchorEntry() {
    Register(L"AnchorStrip", StripProc);
    Register(L"AnchorClock", ClockProc);
    HWND strip = CreateWindowExW(WS_EX_TOOLWINDOW, L"AnchorStrip", L"anchor", WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                                 GetSystemMetrics(SM_CXSCREEN), 28, nullptr, nullptr, g_class.hInstance, nullptr);
    for (int i = 0; i < kChildren; i++)
        g_children[i] = CreateWindowExW(0, L"AnchorClock", nullptr, WS_CHILD | WS_VISIBLE, 8 + 80 * i, 6, 70, 16, strip,
                                        nullptr, g_class.hInstance, nullptr);
    SendMessageW(strip, WM_TIMER, 0, 0);
    SetTimer(strip, 1, 1000, nullptr);
    ShowWindow(strip, SW_SHOWNOACTIVATE);
    while (GetMessageW(&g_msg, nullptr, 0, 0) > 0) DispatchMessageW(&g_msg);
    ExitProcess(0);
}
