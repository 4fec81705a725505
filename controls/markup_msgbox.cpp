// The markup message box: its template, its controls, its layout.
#include "controls/markup_msgbox.h"

#include "controls/dialog_frame.h"
#include "controls/ubb_control.h"
#include "core/runtime/app_state.h"
#include "core/runtime/owners.h"
#include "core/runtime/skin.h"
#include "core/runtime/wstr.h"

namespace {

const DWORD kBoxExStyle = WS_EX_DLGMODALFRAME;
const int kBoxWidth = 400;
const int kBodyWidth = 384;

struct MarkupBoxData {
    HFONT normalFont;
    HFONT boldFont;
    HICON icon;
    const WCHAR* body;
    const WCHAR* subheading;
    const WCHAR* heading;
    WORD type;
};

struct BoxKind {
    const WCHAR* icon;
    UINT sound;
};

BoxKind KindOf(WORD type) {
    switch (type) {
    case MMB_WARNING: return {IDI_EXCLAMATION, MB_ICONEXCLAMATION};
    case MMB_ERROR: return {IDI_HAND, MB_ICONHAND};
    case MMB_QUESTION: return {IDI_QUESTION, MB_ICONQUESTION};
    default: return {IDI_ASTERISK, MB_ICONASTERISK};
    }
}

void BoxLayout(HWND dialog, MarkupBoxData* data) {
    HWND body = GetDlgItem(dialog, MMB_BODY);
    MoveWindow(body, 0, 0, kBodyWidth, 0, FALSE);
    SIZE ideal = {0, 0};
    SendMessageW(body, UBBM_GETIDEALSIZE, reinterpret_cast<WPARAM>(&ideal), 0);
    int b = ideal.cy;
    RECT band = {0, 0, kBoxWidth, 0};
    int h = DialogHeaderLayout(dialog, DLGHDR_MESSAGE, band, data->boldFont, data->normalFont);

    // A body longer than the screen would push the button out of reach: the
    // box stops at the primary work area and the body is cut there.
    RECT work;
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
        SetRect(&work, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    RECT frame = {0, 0, 0, 0};
    AdjustWindowRectEx(&frame, DLGFRAME_STYLE, FALSE, kBoxExStyle);
    int maxClient = (work.bottom - work.top) - (frame.bottom - frame.top);
    if (h + b + 49 > maxClient && maxClient > h + 49 + 16) b = maxClient - h - 49;
    int t = h + b + 49;

    MoveWindow(body, 8, h + 8, kBodyWidth, b, FALSE);
    MoveWindow(GetDlgItem(dialog, MMB_BUTTON_LINE), 0, t - 33, kBoxWidth, 2, FALSE);
    MoveWindow(GetDlgItem(dialog, IDOK), (kBoxWidth - 75) / 2, t - 27, 75, 23, FALSE);

    // Centred on the primary screen, never from a bar: faults are reported
    // from the plug-in thread, with or without one.
    RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    DialogFrameCentre(dialog, kBoxWidth, t, screen, &work);
}

INT_PTR BoxOnInitDialog(HWND dialog, MarkupBoxData* data) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(data));
    DialogHeaderCreate(dialog, {DLGHDR_MESSAGE, data->heading, data->subheading, data->icon, nullptr});
    const DialogChild children[] = {
        {MMB_BODY, UBB_CLASS_NAME, 0, 0, data->body},
        {MMB_BUTTON_LINE, L"STATIC", WS_EX_NOPARENTNOTIFY, SS_OWNERDRAW, nullptr},
        {IDOK, L"BUTTON", 0, WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, L"OK"},
    };
    DialogCreateChildren(dialog, children, 3);
    DialogSetFonts(dialog, data->normalFont, data->boldFont, DLGHDR_HEADING);

    MessageBeep(KindOf(data->type).sound);
    BoxLayout(dialog, data);
    SetForegroundWindow(dialog);
    return FALSE;
}

INT_PTR CALLBACK MarkupBoxProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: return BoxOnInitDialog(dialog, reinterpret_cast<MarkupBoxData*>(lp));
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) EndDialog(dialog, LOWORD(wp));
        return FALSE;
    case WM_CLOSE: EndDialog(dialog, IDCANCEL); return FALSE;
    case WM_CTLCOLORSTATIC: {
        HBRUSH brush = DialogHeaderCtlColor(DLGHDR_MESSAGE, reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
        if (brush) return reinterpret_cast<INT_PTR>(brush);
        return DefWindowProcW(dialog, msg, wp, lp);
    }
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (item->CtlType == ODT_STATIC && (item->CtlID == DLGHDR_LINE || item->CtlID == MMB_BUTTON_LINE))
            DialogDrawEtchedLine(item);
        return FALSE;
    }
    case WM_DESTROY: SetWindowLongPtrW(dialog, DWLP_USER, 0); return FALSE;
    }
    return FALSE;
}

}  // namespace

INT_PTR MarkupMessageBox(HWND owner, const WCHAR* body, const WCHAR* subheading, const WCHAR* heading,
                         WORD type, WORD iconId) {
    LOGFONTW lf;
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    StrCopyN(lf.lfFaceName, L"MS Shell Dlg 2", LF_FACESIZE);
    GdiObject<HFONT> normal(CreateFontIndirectW(&lf));
    lf.lfHeight = -13;
    lf.lfWeight = FW_BOLD;
    GdiObject<HFONT> bold(CreateFontIndirectW(&lf));

    // LoadIconW gives shared icons, which are never destroyed.
    HICON icon = iconId ? LoadIconW(AppInstance, MAKEINTRESOURCEW(iconId)) : LoadIconW(nullptr, KindOf(type).icon);

    MarkupBoxData data = {normal, bold, icon, body, subheading, heading, type};
    const DialogFrame frame = {heading, nullptr, DLGFRAME_STYLE, kBoxExStyle};
    INT_PTR result = DialogFrameRun(frame, owner, MarkupBoxProc, reinterpret_cast<LPARAM>(&data), 0);
    return result > 0 ? result : 0;
}
