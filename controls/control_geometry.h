#pragma once
// The arithmetic of the fancy button, slider, image and scrolling-text
// controls, kept apart from their windows so that it can be checked directly.
#include <windows.h>

// DrawTextW flags from the window style.
UINT FancyButtonTextFormat(DWORD style);
UINT ScrollTextFormat(DWORD style);

// Where a width x height image goes in a button's content rectangle. An
// image larger than the content starts at the content's corner.
POINT FancyButtonImagePlace(const RECT* content, int width, int height, DWORD style);
// Where a bitmap goes in an image control's client rectangle; a larger one
// is centred or right-aligned all the same and clipped by the control.
POINT FancyImagePlace(const RECT* client, int width, int height, DWORD style);

// The slider position for a pointer at x over the client rectangle, always
// within minimum..maximum, whatever the width (zero and one pixel included).
DWORD SliderPositionFromX(int x, const RECT* client, DWORD minimum, DWORD maximum, bool thumb);
// Left edge of the 8-pixel thumb, right edge of the filled bar. Both call
// for maximum > minimum.
int SliderThumbLeft(const RECT* client, DWORD minimum, DWORD maximum, DWORD position);
int SliderBarRight(const RECT* client, DWORD minimum, DWORD maximum, DWORD position);
// The position after a key: VK_LEFT and VK_RIGHT move a tenth of the range,
// stopping at its ends; other keys leave it.
DWORD SliderKeyPosition(DWORD position, DWORD minimum, DWORD maximum, WPARAM key);

// Scrolling text. The text scrolls only while it is wider than the area
// between the side margins.
struct ScrollOffset {
    int offset;
    BOOL backward;  // back-and-forth mode, on the way back
};
bool ScrollTextScrolls(int textWidth, int areaWidth);
// One timer tick.
void ScrollTextStep(ScrollOffset* s, int textWidth, int areaWidth, DWORD style);
// Room between a scrolling text's end and its next copy in loop mode.
const int kScrollTextGap = 16;
