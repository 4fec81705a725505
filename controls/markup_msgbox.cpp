// The markup message box: its template, its controls, its layout.
#include "controls/markup_msgbox.h"

#include "controls/dialog_header.h"
#include "controls/dialog_template.h"
#include "controls/ubb_control.h"
#include "core/runtime/app_state.h"
#include "core/runtime/memory.h"
#include "core/runtime/owners.h"
#include "core/runtime/skin.h"
#include "core/runtime/wstr.h"

namespace {

const DWORD kBoxStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_NOIDLEMSG | DS_ABSALIGN;
const DWORD kBoxExStyle = WS_EX_DLGMODALFRAME;
static_assert(kBoxStyle == 0x80C80181, "the box's window style");
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
    int h = DialogHeaderLayout(dialog, kBoxWidth, data->boldFont);

    // A body longer than the screen would push the button out of reach: the
    // box stops at the primary work area and the body is cut there.
    RECT work;
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
        SetRect(&work, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    RECT frame = {0, 0, 0, 0};
    AdjustWindowRectEx(&frame, kBoxStyle, FALSE, kBoxExStyle);
    int maxClient = (work.bottom - work.top) - (frame.bottom - frame.top);
    if (h + b + 49 > maxClient && maxClient > h + 49 + 16) b = maxClient - h - 49;
    int t = h + b + 49;

    MoveWindow(body, 8, h + 8, kBodyWidth, b, TRUE);
    MoveWindow(GetDlgItem(dialog, MMB_BUTTON_LINE), 0, t - 33, kBoxWidth, 2, TRUE);
    MoveWindow(GetDlgItem(dialog, IDOK), (kBoxWidth - 75) / 2, t - 27, 75, 23, TRUE);

    RECT r = {0, 0, kBoxWidth, t};
    OffsetRect(&r, (GetSystemMetrics(SM_CXSCREEN) - kBoxWidth) / 2, (GetSystemMetrics(SM_CYSCREEN) - t) / 2);
    AdjustWindowRectEx(&r, kBoxStyle, FALSE, kBoxExStyle);
    if (r.top < work.top) OffsetRect(&r, 0, work.top - r.top);
    SetWindowPos(dialog, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, 0);
}

INT_PTR BoxOnInitDialog(HWND dialog, MarkupBoxData* data) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(data));
    DialogHeaderCreate(dialog, data->heading, data->subheading, data->icon);
    DialogCreateChild(dialog, UBB_CLASS_NAME, data->body ? data->body : L"", 0, MMB_BODY);
    DialogCreateChild(dialog, L"STATIC", L"", SS_OWNERDRAW, MMB_BUTTON_LINE);
    DialogCreateChild(dialog, L"BUTTON", L"OK", WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK);

    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(data->normalFont), FALSE);
    SendDlgItemMessageW(dialog, DLGHDR_HEADING, WM_SETFONT, reinterpret_cast<WPARAM>(data->boldFont), FALSE);

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
        HBRUSH brush = DialogHeaderCtlColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
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
    DLGTEMPLATE* dialogTemplate = DialogTemplateBuild(kBoxStyle, kBoxExStyle, heading);
    if (!dialogTemplate) return 0;
    INT_PTR result = DialogBoxIndirectParamW(AppInstance, dialogTemplate, owner, MarkupBoxProc,
                                             reinterpret_cast<LPARAM>(&data));
    MemFree(dialogTemplate);
    return result > 0 ? result : 0;
}
