// The bar's opacity through the layered-window style, where the platform
// has it.
#include "core/runtime/app_state.h"
#include "core/bar/bar_geometry.h"
#include "core/bar/bar_window.h"

void BarSetOpacity(UINT percent) {
    HWND w = Bar.window;
    BarOpacityAction action = BarOpacityPlan(LayeredWindowsAvailable() && w, Bar.opacity, percent);
    if (action == OPACITY_NOTHING) return;
    LONG_PTR ex = GetWindowLongPtrW(w, GWL_EXSTYLE);
    if (action == OPACITY_REMOVE_LAYERED) {
        SetWindowLongPtrW(w, GWL_EXSTYLE, ex & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
        RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    } else {
        if (action == OPACITY_ADD_LAYERED_ALPHA) SetWindowLongPtrW(w, GWL_EXSTYLE, ex | WS_EX_LAYERED);
        AppSetLayeredWindowAttributes(w, 0, BarOpacityAlpha(percent), LWA_ALPHA);
    }
    Bar.opacity = percent;
}

UINT BarGetOpacity() { return Bar.opacity; }
