#pragma once
// The About window: the product's name and version and a short text with
// links on a picture, or the credits rising over it. Modal, on the calling
// thread (the bar's); one at a time in the whole session.
#include <windows.h>

// Control ids of the window.
enum : int {
    ABOUT_NAME = 101,     // "Tovara2" in the large name font
    ABOUT_VERSION = 102,  // short or long version; a click switches
    ABOUT_LINE = 103,     // the etched line under the picture
    ABOUT_TEXT = 104,     // UBBControl with the about text and its links
    ABOUT_CREDITS = 105,  // shows the credits, or the about text again
};

// The timer that moves the credits one pixel up, and its period.
enum : UINT { ABOUT_CREDITS_TIMER = 1, ABOUT_CREDITS_STEP_MS = 40 };

// Shows the window centred on centreOn (the bar's monitor: this floor does
// not ask the bar) and returns 1 when it has been closed; 0 when another
// About window was open, which is brought to the front instead.
int AboutWindowOpen(const RECT& centreOn);
