#include "ubb_test_window.h"

#include "controls/controls.h"
#include "controls/ubb_control.h"
#include "core/runtime/app_state.h"

namespace {
LRESULT CALLBACK ParentProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    auto* p = reinterpret_cast<UbbTestParent*>(GetWindowLongPtrW(w, GWLP_USERDATA));
    if (p) switch (msg) {
        case WM_COMMAND:
            p->commands.push_back({wp, lp});
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            p->ctlColorCount++;
            SetTextColor(reinterpret_cast<HDC>(wp), p->textColor);
            SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
            return reinterpret_cast<LRESULT>(p->brush);
        }
    return DefWindowProcW(w, msg, wp, lp);
}
}  // namespace

void UbbEnsureRegistered() {
    static bool done = false;
    if (done) return;
    AppInstance = GetModuleHandleW(nullptr);
    ControlsRegister();
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = AppInstance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"UbbTestParent";
    RegisterClassW(&wc);
    done = true;
}

void UbbPump(DWORD milliseconds) {
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (milliseconds) Sleep(10);
    } while (GetTickCount() - start < milliseconds);
}

UbbTestParent::UbbTestParent(int x, int y, int width, int height) {
    UbbEnsureRegistered();
    brush = reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    hwnd = CreateWindowExW(WS_EX_TOPMOST, L"UbbTestParent", L"UBB test", WS_POPUP | WS_CLIPCHILDREN, x, y,
                           width, height, nullptr, nullptr, AppInstance, nullptr);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    // Not activated: under Wine an activated window becomes managed, and then
    // destroying it waits two seconds for a window manager that is not there.
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    UbbPump();
}

UbbTestParent::~UbbTestParent() {
    DestroyWindow(hwnd);
    UbbPump();
}

HWND UbbTestParent::Add(const wchar_t* markup, int x, int y, int width, int height, DWORD style, DWORD exStyle,
                        int id, const wchar_t* className) {
    HWND c = CreateWindowExW(exStyle, className, markup, WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                             hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), AppInstance, nullptr);
    UpdateWindow(c);
    return c;
}
