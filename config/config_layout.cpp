#include "config/config_layout.h"

#include "config/config_window.h"
#include "config/page_general.h"
#include "config/page_plugins.h"
#include "config/profile_dialogs.h"
#include "config/uninstall_dialog.h"

namespace {
ControlPlace Place(int id, int x, int y, int width, int height) { return {id, x, y, width, height}; }
}  // namespace

void ControlPlaceApply(HWND window, const ControlPlace* places, int count, BOOL repaint) {
    for (int i = 0; i < count; i++) {
        const ControlPlace& p = places[i];
        MoveWindow(GetDlgItem(window, p.id), p.x, p.y, p.width, p.height, repaint);
    }
}

int ConfigWindowLayout(const RECT& client, int headerHeight, ControlPlace* out, RECT* body) {
    RECT b = {client.left + 4, client.top + headerHeight + 6, client.right - 4, client.bottom - 4};
    int n = 0;
    out[n++] = Place(IDC_CFG_TABS, b.left, b.top + 2, b.right - b.left, b.bottom - 27 - (b.top + 2));
    // The selector row stands at the right end of the tab strip.
    out[n++] = Place(IDC_CFG_PROFILE_LABEL, b.right - 317, b.top + 4, 128, 13);
    out[n++] = Place(IDC_CFG_PROFILES, b.right - 185, b.top, 160, 91);
    out[n++] = Place(IDC_CFG_PROFILE_MENU, b.right - 21, b.top, 21, 21);
    out[n++] = Place(IDOK, b.right - 75, b.bottom - 23, 75, 23);
    *body = b;
    return n;
}

RECT ConfigPageRect(const RECT& display) {
    RECT r = {display.left, display.top + 4, display.right - 2, display.bottom - 2};
    return r;
}

int GeneralColumnWidth(const RECT& client) { return (client.right - client.left - 8) / 2 - 8; }

int GeneralPageLayout(const RECT& client, int bh, const int* dh, bool opacity, ControlPlace* out) {
    RECT r = {client.left + 4, client.top + 4, client.right - 4, client.bottom - 4};
    int cw = GeneralColumnWidth(client), hw = cw / 2;
    int n = 0;
    // A heading, its description below it, then the controls of the group.
    auto group = [&](int heading, int x, int& y, int height) {
        out[n++] = Place(heading, x, y, cw, bh);
        out[n++] = Place(heading + 1, x, y + bh, cw, height);
        y += bh + height;
    };
    auto fourRadios = [&](int first, int x, int& y) {
        out[n++] = Place(first, x, y, hw, 18);
        out[n++] = Place(first + 1, x, y + 18, hw, 18);
        out[n++] = Place(first + 2, x + hw, y, hw, 18);
        out[n++] = Place(first + 3, x + hw, y + 18, hw, 18);
        y += 48;
    };
    int x = r.left, y = r.top;
    group(IDC_GEN_ALIGNMENT, x, y, dh[0]);
    fourRadios(IDC_GEN_LEFT, x, y);
    group(IDC_GEN_STYLE, x, y, dh[1]);
    fourRadios(IDC_GEN_SEPARATOR_STYLE, x, y);
    group(IDC_GEN_POSITION, x, y, dh[2]);
    out[n++] = Place(IDC_GEN_TOP, x, y, hw, 18);
    out[n++] = Place(IDC_GEN_BOTTOM, x + hw, y, hw, 18);
    out[n++] = Place(IDC_GEN_MONITOR_LABEL, x, y + 22, hw, 16);
    out[n++] = Place(IDC_GEN_MONITOR, x + hw, y + 18, 48, kComboDropHeight);

    out[n++] = Place(IDC_GEN_SEPARATOR, r.left + cw + 7, r.top, 2, r.bottom - r.top);

    x = r.left + cw + 16;
    y = r.top;
    group(IDC_GEN_AUTOHIDE, x, y, dh[3]);
    out[n++] = Place(IDC_GEN_AUTOHIDE_ENABLE, x, y, cw, 18);
    out[n++] = Place(IDC_GEN_AUTOHIDE_CLICK, x, y + 18, cw, 18);
    y += 48;
    group(IDC_GEN_LANGUAGE, x, y, dh[4]);
    out[n++] = Place(IDC_GEN_LANGUAGES, x, y, 120, kComboDropHeight);
    if (opacity) {
        y += 33;
        group(IDC_GEN_OPACITY, x, y, dh[5]);
        out[n++] = Place(IDC_GEN_OPACITY_SLIDER, x, y, 200, 18);
        out[n++] = Place(IDC_GEN_TRANSPARENT, x, y + 18, 100, 16);
        out[n++] = Place(IDC_GEN_OPAQUE, x + 100, y + 18, 100, 16);
    }
    return n;
}

int ProfileDialogLayout(const RECT& client, int headerHeight, bool isNew, int labelWidth, ControlPlace* out) {
    int l = client.left + 4, t = client.top + headerHeight + 6, r = client.right - 4, b = client.bottom - 4;
    int lw = labelWidth < 124 ? 124 : labelWidth;
    int n = 0;
    out[n++] = Place(IDOK, r - 158, b - 23, 75, 23);
    out[n++] = Place(IDCANCEL, r - 75, b - 23, 75, 23);
    out[n++] = Place(IDC_PROF_NAME_LABEL, l, t + 3, lw, 21);
    out[n++] = Place(IDC_PROF_NAME, l + lw + 1, t, r - l - lw - 1, 21);
    if (isNew) {
        out[n++] = Place(IDC_PROF_BLANK, l, t + 35, lw, 23);
        out[n++] = Place(IDC_PROF_COPY, l, t + 58, lw, 23);
        out[n++] = Place(IDC_PROF_SOURCE, l + lw + 1, t + 58, r - l - lw - 1, kComboDropHeight);
    }
    return n;
}

int PluginsPageLayout(const RECT& client, int h, ControlPlace* out) {
    int n = 0;
    out[n++] = Place(IDC_PLG_LIST, client.left, client.top, 180, client.bottom - client.top);
    int x = client.left + 184, frameBottom = client.top + 2 * h + 26;
    out[n++] = Place(IDC_PLG_FRAME, x, client.top, client.right - x, frameBottom - client.top);
    int l = x + 3, t = client.top + 3, r = client.right - 3, b = frameBottom - 3;
    out[n++] = Place(IDC_PLG_INFO, l, t, r - l, b - t - 20);
    out[n++] = Place(IDC_PLG_CHECK, l, b - 20, r - l - 66, 20);
    out[n++] = Place(IDC_PLG_EARLIER, r - 42, b - 21, 20, 20);
    out[n++] = Place(IDC_PLG_LATER, r - 22, b - 21, 20, 20);
    out[n++] = Place(IDC_PLG_OPTIONS, r - 64, b - 21, 62, 20);
    out[n++] = Place(IDC_PLG_PANEL, x, b + 7, client.right - x, client.bottom - (b + 7));
    return n;
}

int UninstallDialogLayout(const RECT& client, int headerHeight, ControlPlace* out) {
    int l = client.left + 4, t = client.top + headerHeight + 6, r = client.right - 4, b = client.bottom - 4;
    int n = 0;
    out[n++] = Place(IDOK, r - 158, b - 23, 75, 23);
    out[n++] = Place(IDCANCEL, r - 75, b - 23, 75, 23);
    // The check box has room for its text on two lines.
    out[n++] = Place(IDC_UNINST_QUESTION, l, t + 3, r - l - 8, b - t - 66);
    out[n++] = Place(IDC_UNINST_REMOVE, l, b - 59, r - l - 8, 28);
    return n;
}
