#include "controls/dialog_header.h"

#include "controls/dialog_template.h"
#include "controls/ubb_control.h"
#include "core/runtime/skin.h"

void DialogHeaderCreate(HWND dialog, const DialogHeader& h) {
    const DWORD quiet = WS_EX_NOPARENTNOTIFY;  // the band has nothing to tell the dialog
    const DialogChild back = {DLGHDR_BACK, L"STATIC", quiet, h.kind == DLGHDR_PICTURE ? DWORD(SS_BITMAP) : 0, nullptr};
    const DialogChild line = {DialogHeaderLineId(h.kind), L"STATIC", quiet, SS_OWNERDRAW, nullptr};
    const DialogChild icon = {DLGHDR_ICON, L"STATIC", quiet, SS_ICON, nullptr};
    DialogChild heading = {DLGHDR_HEADING, L"STATIC", quiet, SS_NOPREFIX, h.heading};
    DialogChild sub = {DLGHDR_SUBHEADING, L"STATIC", quiet, SS_NOPREFIX, h.subheading};
    if (h.kind == DLGHDR_MESSAGE) {
        sub.className = UBB_CLASS_NAME;
        sub.exStyle = 0;
        sub.style = 0;
    }
    if (h.kind == DLGHDR_PICTURE) heading.style |= SS_LEFTNOWORDWRAP;
    // Each kind keeps the creation order its dialogs always had.
    const DialogChild message[] = {back, line, heading, sub, icon};
    const DialogChild picture[] = {back, heading, sub, icon, line};
    const DialogChild plain[] = {back, line, heading, sub};
    if (h.kind == DLGHDR_MESSAGE) DialogCreateChildren(dialog, message, 5);
    if (h.kind == DLGHDR_PICTURE) DialogCreateChildren(dialog, picture, 5);
    if (h.kind == DLGHDR_PLAIN) DialogCreateChildren(dialog, plain, 4);
    if (h.kind == DLGHDR_PICTURE && h.picture)
        SendDlgItemMessageW(dialog, DLGHDR_BACK, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(h.picture));
    if (h.kind != DLGHDR_PLAIN && h.icon)
        SendDlgItemMessageW(dialog, DLGHDR_ICON, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(h.icon));
}

int DialogHeaderLayout(HWND dialog, DialogHeaderKind kind, const RECT& client, HFONT bold, HFONT normal) {
    SIZE size = {0, 0};
    GetAverageCharSize(bold, &size);
    int bh = size.cy;
    int ix = GetSystemMetrics(SM_CXICON);
    int iy = GetSystemMetrics(SM_CYICON);
    int x = client.left, y = client.top, width = client.right - client.left;
    int w = width - ix - 12;
    int textX = kind == DLGHDR_PLAIN ? x + 4 : x + ix + 8;
    HWND sub = GetDlgItem(dialog, DLGHDR_SUBHEADING);
    int s;
    if (kind == DLGHDR_MESSAGE) {
        MoveWindow(sub, 0, 0, w, 0, FALSE);
        SIZE ideal = {0, 0};
        SendMessageW(sub, UBBM_GETIDEALSIZE, reinterpret_cast<WPARAM>(&ideal), 0);
        s = ideal.cy;
    } else {
        GetAverageCharSize(normal, &size);
        s = size.cy;
    }
    int h = bh + s + 8;
    MoveWindow(GetDlgItem(dialog, DLGHDR_BACK), x, y, width, h, FALSE);
    MoveWindow(GetDlgItem(dialog, DialogHeaderLineId(kind)), x, y + h, width, 2, FALSE);
    MoveWindow(GetDlgItem(dialog, DLGHDR_HEADING), textX, y + 4, w, bh, FALSE);
    MoveWindow(sub, textX, y + bh + 4, w, s, FALSE);
    if (kind != DLGHDR_PLAIN) MoveWindow(GetDlgItem(dialog, DLGHDR_ICON), x + 4, y + (h - iy) / 2, ix, iy, FALSE);
    return h;
}

HBRUSH DialogHeaderCtlColor(DialogHeaderKind kind, HDC dc, HWND control) {
    int id = GetDlgCtrlID(control);
    bool text = id == DLGHDR_HEADING || id == DLGHDR_SUBHEADING;
    if (kind == DLGHDR_PICTURE && text) {
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    }
    bool band = text || (id == DLGHDR_BACK && kind != DLGHDR_PICTURE) || (id == DLGHDR_ICON && kind != DLGHDR_PLAIN);
    if (!band) return nullptr;
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return GetSysColorBrush(COLOR_WINDOW);
}

bool DialogHeaderHandles(DialogHeaderKind kind, UINT msg, WPARAM wp, LPARAM lp, INT_PTR* result) {
    if (msg == WM_CTLCOLORSTATIC) {
        *result = reinterpret_cast<INT_PTR>(DialogHeaderCtlColor(kind, reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp)));
        return true;
    }
    if (msg != WM_DRAWITEM) return false;
    const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
    *result = item->CtlID == static_cast<UINT>(DialogHeaderLineId(kind));
    if (*result) DialogDrawEtchedLine(item);
    return true;
}

void DialogDrawEtchedLine(const DRAWITEMSTRUCT* item) {
    RECT r = item->rcItem;
    DrawEdge(item->hDC, &r, BDR_SUNKENOUTER, BF_TOP | BF_BOTTOM);
}
