// The About window in this process, where its timer and its GDI objects can
// be seen: the credits' timer stops with the credits, and opening and
// closing the window fifty times leaves no GDI object behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

#include "about/about_window.h"
#include "controls/controls.h"
#include "core/runtime/app_state.h"

namespace {

// GetGuiResources reads 0 under Wine; there every live handle answers
// GetObjectType by its table index alone.
int GdiObjects() {
    if (DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<int>(n);
    int n = 0;
    for (UINT i = 1; i < 0x10000; ++i) n += GetObjectType(reinterpret_cast<HGDIOBJ>(static_cast<UINT_PTR>(i))) != 0;
    return n;
}

volatile LONG g_timerTicks;
LRESULT CALLBACK CountTimers(int code, WPARAM wp, LPARAM lp) {
    const MSG* m = reinterpret_cast<const MSG*>(lp);
    if (code == HC_ACTION && wp == PM_REMOVE && m->message == WM_TIMER && m->wParam == ABOUT_CREDITS_TIMER)
        InterlockedIncrement(&g_timerTicks);
    return CallNextHookEx(nullptr, code, wp, lp);
}

HWND WaitForAbout() {
    for (int i = 0; i < 500; ++i, Sleep(10))
        if (HWND w = FindWindowW(L"#32770", L"Tovara2 - About")) return w;
    return nullptr;
}

void PressCredits(HWND about) {
    SendMessageW(about, WM_COMMAND, MAKEWPARAM(ABOUT_CREDITS, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(about, ABOUT_CREDITS)));
}

TEST(AboutWindow, CreditsTimerStopsWithTheCreditsAndNoGdiObjectIsLeft) {
    AppInstance = GetModuleHandleW(nullptr);
    ASSERT_TRUE(UBBControlRegister());
    HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, CountTimers, nullptr, GetCurrentThreadId());
    const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    int before = 0;
    for (int cycle = 0; cycle <= 50; ++cycle) {
        if (cycle == 1) before = GdiObjects();  // the first opening fills the shared font cache
        std::thread driver([cycle] {
            HWND about = WaitForAbout();
            if (!about) return;
            PressCredits(about);
            if (cycle == 0) {
                for (int i = 0; i < 500 && g_timerTicks < 3; ++i) Sleep(10);
                EXPECT_GE(g_timerTicks, 3) << "the credits never moved";
                PressCredits(about);
                LONG stopped = g_timerTicks;
                Sleep(300);
                EXPECT_EQ(stopped, g_timerTicks) << "the timer ran on without the credits";
            }
            PostMessageW(about, WM_CLOSE, 0, 0);  // later cycles close with the credits running
        });
        EXPECT_EQ(1, AboutWindowOpen(screen));
        driver.join();
    }
    UnhookWindowsHookEx(hook);
    int after = GdiObjects();
    printf("[ info     ] GDI objects: %d after the first opening, %d after fifty more\n", before, after);
    EXPECT_EQ(before, after);
    UBBControlUnregister();
}

}  // namespace
