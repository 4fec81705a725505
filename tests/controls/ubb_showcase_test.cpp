#include <gtest/gtest.h>

#include "controls/ubb_control.h"
#include "core/runtime/skin.h"
#include "ubb_test_window.h"

// Shows a window of sample markup for a few seconds so that a screenshot can
// be taken by hand: run with --gtest_also_run_disabled_tests.
TEST(UbbShowcase, DISABLED_ShowsSampleMarkup) {
    UbbTestParent parent(20, 20, 600, 330);
    HWND welcome = parent.Add(
        L"Welcome to Tovara2. No modules are loaded at this time. [link=1]Click here to configure plugins[/link], "
        L"or [link=2]open the Help file[/link].",
        8, 6, 584, 40, UBBS_CENTER);
    SendMessageW(welcome, WM_SETFONT, reinterpret_cast<WPARAM>(SkinGetFont(0)), TRUE);
    SendMessageW(welcome, WM_SIZE, 0, 0);
    parent.Add(L"[b]Bold[/b], [i]italic[/i], [u]underlined[/u], [s]struck out[/s], [b][i]bold italic[/i][/b] and "
               L"[link=http://example.org]a link that wraps over the end of its line[/link]; [x] stays as it is.",
               8, 60, 280, 80);
    parent.Add(L"Name:\tTovara2\nAuthor:\tsomebody\nSite:\t[link=3]example.org[/link]", 300, 60, 290, 80, 0,
               WS_EX_CLIENTEDGE);
    parent.Add(L"Right aligned text\n[b]second line[/b]", 8, 150, 280, 40, UBBS_RIGHT);
    HWND about = parent.Add(L"[b]Tovara2[/b] 2.0.4\nA pluggable system-monitoring bar. [link=1]More...[/link]", 300,
                            150, 290, 40);
    SendMessageW(about, UBBM_SETFONT, reinterpret_cast<WPARAM>(L"Tahoma"), -11);
    SendMessageW(about, UBBM_SETLINKCOLOR, 0x000375BD, 0);
    SendMessageW(about, WM_SIZE, 0, 0);
    HWND big = parent.Add(L"[b]Large[/b] text at [i]-20[/i] with a [link=5]hovered link[/link]", 8, 200, 580, 40);
    SendMessageW(big, UBBM_SETFONT, reinterpret_cast<WPARAM>(L"Tahoma"), -20);
    SendMessageW(big, WM_SIZE, 0, 0);
    UbbPump(200);
    POINT pt = {300, 10};  // over "hovered link"
    ClientToScreen(big, &pt);
    SetCursorPos(pt.x, pt.y);
    UbbPump(4000);
}
