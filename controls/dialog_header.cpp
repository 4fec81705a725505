#include "controls/dialog_header.h"

#include "controls/ubb_control.h"
#include "core/runtime/app_state.h"
#include "core/runtime/skin.h"

HWND DialogCreateChild(HWND dialog, const WCHAR* className, const WCHAR* text, DWORD style, int id) {
    // Statics are silent towards the dialog: it has nothing to learn from them.
    DWORD exStyle = className[0] == L'S' ? WS_EX_NOPARENTNOTIFY : 0;
    return CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, dialog,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), AppInstance, nullptr);
}

void DialogHeaderCreate(HWND dialog, const WCHAR* heading, const WCHAR* subheading, HICON icon) {
    DialogCreateChild(dialog, L"STATIC", L"", 0, DLGHDR_BACK);
    DialogCreateChild(dialog, L"STATIC", L"", SS_OWNERDRAW, DLGHDR_LINE);
    DialogCreateChild(dialog, L"STATIC", heading ? heading : L"", SS_NOPREFIX, DLGHDR_HEADING);
    DialogCreateChild(dialog, UBB_CLASS_NAME, subheading ? subheading : L"", 0, DLGHDR_SUBHEADING);
    HWND iconControl = DialogCreateChild(dialog, L"STATIC", L"", SS_ICON, DLGHDR_ICON);
    if (icon) SendMessageW(iconControl, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
}

int DialogHeaderLayout(HWND dialog, int width, HFONT bold) {
    SIZE boldSize = {0, 0};
    GetAverageCharSize(bold, &boldSize);
    int bh = boldSize.cy;
    int ix = GetSystemMetrics(SM_CXICON);
    int iy = GetSystemMetrics(SM_CYICON);
    int w = width - 12 - ix;
    HWND sub = GetDlgItem(dialog, DLGHDR_SUBHEADING);
    MoveWindow(sub, 0, 0, w, 0, FALSE);
    SIZE ideal = {0, 0};
    SendMessageW(sub, UBBM_GETIDEALSIZE, reinterpret_cast<WPARAM>(&ideal), 0);
    int s = ideal.cy;
    int h = bh + s + 8;
    MoveWindow(GetDlgItem(dialog, DLGHDR_BACK), 0, 0, width, h, TRUE);
    MoveWindow(GetDlgItem(dialog, DLGHDR_LINE), 0, h, width, 2, TRUE);
    MoveWindow(GetDlgItem(dialog, DLGHDR_HEADING), ix + 8, 4, w, bh, TRUE);
    MoveWindow(sub, ix + 8, bh + 4, w, s, TRUE);
    MoveWindow(GetDlgItem(dialog, DLGHDR_ICON), 4, (h - iy) / 2, ix, iy, TRUE);
    return h;
}

HBRUSH DialogHeaderCtlColor(HDC dc, HWND control) {
    int id = GetDlgCtrlID(control);
    if (id != DLGHDR_BACK && id != DLGHDR_HEADING && id != DLGHDR_SUBHEADING && id != DLGHDR_ICON) return nullptr;
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return GetSysColorBrush(COLOR_WINDOW);
}

void DialogDrawEtchedLine(const DRAWITEMSTRUCT* item) {
    RECT r = item->rcItem;
    DrawEdge(item->hDC, &r, BDR_SUNKENOUTER, BF_TOP | BF_BOTTOM);
}
