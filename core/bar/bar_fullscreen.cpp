// Getting out of the way of full-screen programs on the bar's monitor.
#include "core/bar/bar_behaviours.h"
#include "core/runtime/wstr.h"

namespace {
// 1 at start, so the first "a full-screen window opened" is not acted on.
UINT FullScreenState = 1;
// The desktop and the taskbar count as full-screen to the shell; they are no
// reason to hide.
const WCHAR* const kShellClasses[] = {L"Progman", L"WorkerW", L"Shell_TrayWnd"};
}  // namespace

int BarFullScreenDecide(UINT state, UINT opened, const WCHAR* foregroundClass) {
    if (opened == state) return -1;
    for (const WCHAR* shell : kShellClasses)
        if (StrCompareNoCaseN(foregroundClass, shell, -1) == 0) return -1;
    return opened ? SW_HIDE : SW_SHOW;
}

void BarOnFullScreen(HWND bar, UINT opened) {
    WCHAR cls[64] = {0};
    HWND foreground = GetForegroundWindow();
    if (foreground) GetClassNameW(foreground, cls, 64);
    int show = BarFullScreenDecide(FullScreenState, opened, cls);
    if (show < 0) return;
    ShowWindow(bar, show);
    FullScreenState = opened;
}
