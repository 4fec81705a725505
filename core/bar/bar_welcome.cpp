// The welcome text with its two links, shown while no module is on the bar.
#include "controls/ubb_control.h"
#include "core/runtime/app_state.h"
#include "core/bar/bar_behaviours.h"
#include "core/bar/bar_geometry.h"
#include "core/bar/bar_window.h"
#include "core/runtime/res_string.h"
#include "core/runtime/skin.h"
#include "resources/resource_ids.h"

namespace {

RECT WelcomeRect() {
    RECT area;
    BarGetModuleArea(&area);
    return BarWelcomeRectOf(area);
}
}  // namespace

void BarShowWelcome(HWND bar, WPARAM show) {
    HWND welcome = GetDlgItem(bar, IDC_WELCOME);
    if (!show) {
        if (welcome) DestroyWindow(welcome);
        return;
    }
    if (welcome) return;
    RECT r = WelcomeRect();
    welcome = CreateWindowExW(0, UBB_CLASS_NAME, GetStr(IDS_WELCOME), WS_CHILD | WS_VISIBLE | UBBS_CENTER, r.left,
                              r.top, r.right - r.left, r.bottom - r.top, bar,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_WELCOME)), AppInstance, nullptr);
    if (welcome) SendMessageW(welcome, WM_SETFONT, reinterpret_cast<WPARAM>(SkinGetFont(0)), TRUE);
}

void BarPlaceWelcome(HWND bar) {
    HWND welcome = GetDlgItem(bar, IDC_WELCOME);
    if (!welcome) return;
    RECT r = WelcomeRect();
    MoveWindow(welcome, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}
