// Shows the markup control's styles, links, alignments and fonts on a white
// page for a while (default 8 s, or the first argument in milliseconds), the
// mouse over one link, so that a person can look at them or take a picture.
#include <windows.h>

#include <cstdlib>

#include "controls/controls.h"
#include "controls/ubb_control.h"
#include "core/runtime/app_state.h"
#include "core/runtime/skin.h"

namespace {
LRESULT CALLBACK PageProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_CTLCOLORSTATIC) return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    return DefWindowProcW(w, m, wp, lp);
}

HWND Add(HWND page, const wchar_t* markup, int x, int y, int w, int h, DWORD style = 0, DWORD ex = 0) {
    return CreateWindowExW(ex, UBB_CLASS_NAME, markup, WS_CHILD | WS_VISIBLE | style, x, y, w, h, page, nullptr,
                           AppInstance, nullptr);
}
}  // namespace

int main(int argc, char** argv) {
    AppInstance = GetModuleHandleW(nullptr);
    UBBControlRegister();
    SkinInit();
    WNDCLASSW wc = {};
    wc.lpfnWndProc = PageProc;
    wc.hInstance = AppInstance;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = L"Tv2Showcase";
    RegisterClassW(&wc);
    HWND page = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"Markup", WS_POPUP | WS_VISIBLE, 20, 20, 600, 250,
                                nullptr, nullptr, AppInstance, nullptr);
    HWND welcome = Add(page,
                       L"Welcome to Tovara2. No modules are loaded at this time. [link=1]Click here to configure "
                       L"plugins[/link], or [link=2]open the Help file[/link].",
                       8, 6, 584, 40, UBBS_CENTER);
    SendMessageW(welcome, WM_SETFONT, reinterpret_cast<WPARAM>(SkinGetFont(0)), TRUE);
    Add(page, L"[b]Bold[/b], [i]italic[/i], [u]underlined[/u], [s]struck out[/s], [b][i]bold italic[/i][/b] and "
              L"[link=http://example.org]a link that wraps over the end of its line[/link]; [x] stays as it is.",
        8, 60, 280, 80);
    Add(page, L"Name:\tTovara2\nAuthor:\tsomebody\nSite:\t[link=3]example.org[/link]", 300, 60, 290, 80, 0,
        WS_EX_CLIENTEDGE);
    Add(page, L"Right aligned text\n[b]second line[/b]", 8, 150, 280, 40, UBBS_RIGHT);
    HWND big = Add(page, L"[b]Large[/b] text at [i]-20[/i] with a [link=5]hovered link[/link]", 300, 150, 290, 80);
    SendMessageW(big, UBBM_SETFONT, reinterpret_cast<WPARAM>(L"Tahoma"), -20);
    SendMessageW(big, UBBM_SETLINKCOLOR, 0x000375BD, 0);
    SendMessageW(big, WM_SIZE, 0, 0);
    POINT over = {200, 40};
    ClientToScreen(big, &over);
    SetCursorPos(over.x, over.y);
    DWORD until = GetTickCount() + (argc > 1 ? static_cast<DWORD>(atoi(argv[1])) : 8000);
    while (GetTickCount() < until) {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        Sleep(10);
    }
    DestroyWindow(page);
    SkinFree();
    return 0;
}
