#include "core/bar/bar_geometry.h"

#include "core/bar/bar_window.h"

RECT BarModuleAreaOf(const RECT& client, UINT position) {
    RECT area = client;
    if (position == BAR_BOTTOM) {
        area.top += 2;
        area.bottom = BAR_HEIGHT;
    } else {
        area.bottom = BAR_HEIGHT - 2;
    }
    return area;
}

void BarClipBand(RECT* band, UINT position, int height) {
    if (position == BAR_BOTTOM)
        band->top = band->bottom - height;
    else
        band->bottom = band->top + height;
}

RECT BarWindowRectOf(const RECT& band, UINT position, int bandHeight, bool expanded) {
    RECT r = band;
    int height = bandHeight;
    if (expanded) {
        height = BAR_HEIGHT;
        if (position == BAR_BOTTOM)
            r.top = r.bottom - BAR_HEIGHT;
        else
            r.bottom = r.top + BAR_HEIGHT;
    }
    r.bottom = r.top + height;
    return r;
}

RECT BarCenteredRect(const RECT& monitor, int width, int height) {
    RECT r;
    r.left = monitor.left + (monitor.right - monitor.left - width) / 2;
    r.top = monitor.top + (monitor.bottom - monitor.top - height) / 2;
    r.right = r.left + width;
    r.bottom = r.top + height;
    return r;
}

void BarFitRect(const RECT& monitor, const RECT& bar, UINT position, RECT* rect) {
    if (rect->left < monitor.left) OffsetRect(rect, monitor.left - rect->left, 0);
    if (rect->right >= monitor.right) OffsetRect(rect, monitor.right - rect->right, 0);
    if (position == BAR_BOTTOM)
        OffsetRect(rect, 0, bar.top - rect->bottom);
    else
        OffsetRect(rect, 0, bar.bottom - rect->top);
}

RECT BarWelcomeRectOf(const RECT& area) {
    RECT r = {area.left + 8, area.top + 6, area.right - 8, area.bottom - 2};
    return r;
}

BarOpacityAction BarOpacityPlan(bool layeredAvailable, UINT applied, UINT wanted) {
    if (!layeredAvailable || wanted == applied || wanted > 100) return OPACITY_NOTHING;
    if (wanted == 100) return OPACITY_REMOVE_LAYERED;
    return applied == 100 ? OPACITY_ADD_LAYERED_ALPHA : OPACITY_SET_ALPHA;
}

BYTE BarOpacityAlpha(UINT percent) { return static_cast<BYTE>(percent * 255u / 100u); }
