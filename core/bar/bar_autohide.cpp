// Autohide: the bar shrinks to its 4-pixel band and opens again on hover or
// on a click, closing half a second after the mouse has left it.
#include "core/runtime/app_state.h"
#include "core/bar/bar_behaviours.h"
#include "core/bar/bar_window.h"

namespace {
const DWORD kLeaveDelayMs = 500;
DWORD LastHitTest;

void Apply(HWND bar, const BarAutohideStep& step) {
    if (step.killTimer) KillTimer(bar, TIMER_AUTOHIDE);
    Bar.collapsed = step.collapsed ? 1 : 0;
    if (step.startTimer) SetTimer(bar, TIMER_AUTOHIDE, 100, nullptr);
    if (step.reposition) BarReposition();
}

BarAutohideInput Now() {
    BarAutohideInput in = {};
    in.autohide = Bar.autohide != 0;
    in.autohideClick = Bar.autohideClick != 0;
    in.collapsed = Bar.collapsed != 0;
    return in;
}
}  // namespace

BarAutohideStep BarAutohideDecide(const BarAutohideInput& in, BarAutohideEvent event) {
    BarAutohideStep step = {in.collapsed, false, false, false};
    switch (event) {
    case AUTOHIDE_HOVER:
        if (in.autohide && !in.autohideClick && in.collapsed) {
            step.collapsed = false;
            step.startTimer = true;
            step.reposition = true;
        }
        break;
    case AUTOHIDE_TICK:
        // A timer left over once autohide was switched off or the bar closed
        // stops, but the test below still runs.
        if (!in.autohide || in.collapsed) step.killTimer = true;
        if (in.msSinceHover > kLeaveDelayMs && !in.cursorInside) {
            step.killTimer = true;
            step.collapsed = true;
            step.reposition = true;
        }
        break;
    case AUTOHIDE_ACTIVATE:
        step.killTimer = true;
        step.collapsed = false;
        step.reposition = true;
        break;
    case AUTOHIDE_DEACTIVATE:
        step.collapsed = true;
        step.reposition = true;
        break;
    }
    return step;
}

void BarOnHitTest(HWND bar) {
    LastHitTest = GetTickCount();
    Apply(bar, BarAutohideDecide(Now(), AUTOHIDE_HOVER));
}

void BarOnAutohideTimer(HWND bar) {
    BarAutohideInput in = Now();
    in.msSinceHover = GetTickCount() - LastHitTest;
    POINT cursor;
    RECT r;
    GetCursorPos(&cursor);
    GetWindowRect(bar, &r);
    in.cursorInside = PtInRect(&r, cursor) != 0;
    Apply(bar, BarAutohideDecide(in, AUTOHIDE_TICK));
}

void BarOnActivate(HWND bar, WORD state) {
    Apply(bar, BarAutohideDecide(Now(), state == WA_INACTIVE ? AUTOHIDE_DEACTIVATE : AUTOHIDE_ACTIVATE));
}
