#include "controls/control_geometry.h"

#include "controls/fancy_button.h"
#include "controls/fancy_image.h"
#include "controls/scroll_text.h"
#include "controls/slider.h"

namespace {
constexpr int kThumbWidth = 8;

// Offset of size in space: at the start, at the end, or halfway (truncated
// toward zero, so a larger size goes as far left as right).
int Align(int space, int size, bool start, bool end) {
    if (start) return 0;
    if (end) return space - size;
    return (space - size) / 2;
}
}  // namespace

UINT FancyButtonTextFormat(DWORD style) {
    UINT format = DT_NOPREFIX;
    if (!(style & (FBS_LEFT | FBS_RIGHT))) format |= DT_CENTER;
    else if (!(style & FBS_LEFT)) format |= DT_RIGHT;
    if (!(style & (FBS_TOP | FBS_BOTTOM))) format |= DT_VCENTER;
    else if (!(style & FBS_TOP)) format |= DT_BOTTOM;
    if (!(style & FBS_MULTILINE)) format |= DT_SINGLELINE;
    return format;
}

UINT ScrollTextFormat(DWORD style) {
    UINT format = DT_SINGLELINE | DT_NOPREFIX;
    if ((style & STS_VCENTER) || !(style & (STS_TOP | STS_BOTTOM))) format |= DT_VCENTER;
    else if (!(style & STS_TOP)) format |= DT_BOTTOM;
    return format;
}

POINT FancyButtonImagePlace(const RECT* c, int width, int height, DWORD style) {
    int dx = Align(c->right - c->left, width, style & FBS_LEFT, style & FBS_RIGHT);
    int dy = Align(c->bottom - c->top, height, style & FBS_TOP, style & FBS_BOTTOM);
    POINT p = {c->left + (dx < 0 ? 0 : dx), c->top + (dy < 0 ? 0 : dy)};
    return p;
}

POINT FancyImagePlace(const RECT* r, int width, int height, DWORD style) {
    POINT p = {Align(r->right, width, style & FIS_LEFT, style & FIS_RIGHT),
               Align(r->bottom, height, style & FIS_TOP, style & FIS_BOTTOM)};
    return p;
}

// Products of a 32-bit range and a pixel offset need 64 bits.
DWORD SliderPositionFromX(int x, const RECT* r, DWORD minimum, DWORD maximum, bool thumb) {
    int inset = thumb ? kThumbWidth / 2 : 0;
    // A track of no length (the thumb look at 8 pixels or less, the bar at
    // one pixel or less) has only one place: the minimum.
    long long track = static_cast<long long>(r->right) - r->left - (thumb ? kThumbWidth : 1);
    if (track <= 0) return minimum;
    long long offset = static_cast<long long>(x) - r->left - inset;
    if (offset < 0) offset = 0;
    if (offset > track) offset = track;
    unsigned long long range = maximum - minimum;
    return minimum + static_cast<DWORD>(range * static_cast<unsigned long long>(offset) / track);
}

int SliderThumbLeft(const RECT* r, DWORD minimum, DWORD maximum, DWORD position) {
    long long track = static_cast<long long>(r->right) - r->left - kThumbWidth;
    if (track < 0) track = 0;
    return r->left + static_cast<int>(static_cast<long long>(position - minimum) * track / (maximum - minimum));
}

int SliderBarRight(const RECT* r, DWORD minimum, DWORD maximum, DWORD position) {
    long long width = static_cast<long long>(r->right) - r->left;
    return r->left + static_cast<int>(static_cast<long long>(position - minimum) * width / (maximum - minimum));
}

// Measured from the ends, so that a step past either end stops there even
// when the range fills all 32 bits and the sum would wrap around into it.
DWORD SliderKeyPosition(DWORD position, DWORD minimum, DWORD maximum, WPARAM key) {
    DWORD step = (maximum - minimum) / 10;
    if (key == VK_LEFT) return position - minimum >= step ? position - step : minimum;
    if (key == VK_RIGHT) return maximum - position >= step ? position + step : maximum;
    return position;
}

bool ScrollTextScrolls(int textWidth, int areaWidth) { return textWidth > areaWidth; }

void ScrollTextStep(ScrollOffset* s, int textWidth, int areaWidth, DWORD style) {
    if (!ScrollTextScrolls(textWidth, areaWidth)) {
        s->offset = 0;
        return;
    }
    int step = (style & STS_SMOOTH) ? 2 : 6;
    if (!(style & STS_BOUNCE)) {
        s->offset = (s->offset + step) % (textWidth + kScrollTextGap);
        return;
    }
    int end = textWidth - areaWidth;
    if (s->offset > end) s->offset = end;  // the area grew since the last tick
    if (!s->backward) {
        s->offset += step;
        if (s->offset >= end) {
            s->offset = end;
            s->backward = TRUE;
        }
    } else {
        s->offset -= step;
        if (s->offset < 0) {
            s->offset = 0;
            s->backward = FALSE;
        }
    }
}
