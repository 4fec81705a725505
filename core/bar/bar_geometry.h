#pragma once
// The bar's placement arithmetic, free of windows and of the shell so that
// it can be checked on its own.
#include <windows.h>

// The client rectangle less the 2-pixel raised edge that faces the desktop.
RECT BarModuleAreaOf(const RECT& client, UINT position);
// Cuts the rectangle the shell allowed down to a band of the given height at
// the bar's edge.
void BarClipBand(RECT* band, UINT position, int height);
// The window over a reserved band: the band itself, or 28 pixels reaching
// into the desktop when the bar is expanded over a smaller band.
RECT BarWindowRectOf(const RECT& band, UINT position, int bandHeight, bool expanded);
// A client area of width x height centred on the monitor (before the frame
// is added).
RECT BarCenteredRect(const RECT& monitor, int width, int height);
// Moves a popup rectangle inside the monitor horizontally and against the
// bar's desktop side vertically; never changes its size.
void BarFitRect(const RECT& monitor, const RECT& bar, UINT position, RECT* rect);
// The welcome text's place: the module area inset by 8, 6, 8 and 2.
RECT BarWelcomeRectOf(const RECT& moduleArea);

// What a change of opacity does to the window.
enum BarOpacityAction : int {
    OPACITY_NOTHING = 0,
    OPACITY_REMOVE_LAYERED,     // back to an opaque window
    OPACITY_ADD_LAYERED_ALPHA,  // becomes layered, then takes its alpha
    OPACITY_SET_ALPHA,          // layered already: only the alpha changes
};
BarOpacityAction BarOpacityPlan(bool layeredAvailable, UINT applied, UINT wanted);
// Percent to the layered alpha, truncated (50 gives 127).
BYTE BarOpacityAlpha(UINT percent);
