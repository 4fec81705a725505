#include "support/test_window.h"

namespace tv2test {
namespace {
LRESULT CALLBACK TestWindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    auto* t = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(w, GWLP_USERDATA));
    LRESULT result = 0;
    if (t && t->hook && t->hook(msg, wp, lp, &result)) return result;
    if (t && msg == WM_COMMAND) {
        t->commands.push_back(wp);
        t->senders.push_back(lp);
        return 0;
    }
    if (t && (msg == WM_CTLCOLORSTATIC || msg == WM_CTLCOLORBTN)) {
        t->ctlColors++;
        SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
        return reinterpret_cast<LRESULT>(t->brush);
    }
    return DefWindowProcW(w, msg, wp, lp);
}
}  // namespace

TestWindow::TestWindow(int x, int y, int width, int height) {
    static ATOM cls = 0;
    if (!cls) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = TestWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = L"Tv2TestWindow";
        cls = RegisterClassW(&wc);
    }
    hwnd = CreateWindowExW(WS_EX_TOPMOST, L"Tv2TestWindow", L"test", WS_POPUP | WS_CLIPCHILDREN, x, y, width, height,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    Pump();
}

TestWindow::~TestWindow() {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    DestroyWindow(hwnd);
    Pump();
}

HWND TestWindow::Add(const wchar_t* className, const wchar_t* text, int x, int y, int width, int height, DWORD style,
                     DWORD exStyle, int id) {
    HWND c = CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, hwnd,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    UpdateWindow(c);
    return c;
}

void Pump(DWORD milliseconds) {
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (milliseconds) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < milliseconds);
}

}  // namespace tv2test
