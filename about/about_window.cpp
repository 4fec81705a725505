// The About window: its state, the credits table, the back buffer that the
// picture and the credits are drawn into, its handlers and its procedure.
#include "about/about_window.h"

#include "controls/dialog_frame.h"
#include "controls/ubb_control.h"
#include "core/runtime/art.h"
#include "core/runtime/owners.h"
#include "core/runtime/res_string.h"
#include "core/runtime/skin.h"
#include "core/runtime/wstr.h"
#include "plugins/tovara2_sdk.h"
#include "resources/resource_ids.h"

namespace {

const WCHAR kTitle[] = L"Tovara2 - About";
const WCHAR kMutexName[] = L"Tovara2AboutWindow";
const int kPictureWidth = 288;
const int kPictureHeight = 272;
const int kClientHeight = 311;
const COLORREF kTextColour = RGB(62, 53, 39);
const COLORREF kLinkColour = RGB(189, 117, 3);
const WCHAR kVersionSuffix[] = L" alpha";
const char kBuildDate[] = TOVARA2_BUILD_DATE;  // the commit's date, "Nov 30 2004"

struct CreditRow {
    WORD style;  // SkinGetFont style
    UINT text;   // string id; 0 for an empty row
};

const CreditRow kCredits[] = {
    {SKIN_BOLD, IDS_CREDITS_TEAM},
    {0, 0},
    {SKIN_UNDERLINE, IDS_CREDITS_DEVELOPMENT},
    {0, IDS_CREDITS_CORE_TEAM},
    {0, IDS_CREDITS_CONTRIBUTORS},
    {0, 0},
    {SKIN_UNDERLINE, IDS_CREDITS_PLUGINS},
    {0, IDS_CREDITS_SYSMON},
    {0, 0},
    {SKIN_UNDERLINE, IDS_CREDITS_TESTING},
    {0, IDS_CREDITS_TEST_TEAM},
    {0, IDS_CREDITS_ALPHA_TESTERS},
    {0, 0},
    {SKIN_BOLD, IDS_CREDITS_THANKS},
    {0, 0},
    {0, IDS_CREDITS_TRANSLATORS},
    {0, IDS_CREDITS_REPORTERS},
    {0, IDS_CREDITS_USERS},
    {0, 0},
};
const int kCreditRows = sizeof(kCredits) / sizeof(kCredits[0]);
static_assert(kCreditRows == 19, "the credits table");

// Everything the window holds lives here, on the stack of AboutWindowOpen,
// and is made at WM_INITDIALOG: a second request that finds a window open
// makes nothing. The owners free it all when AboutWindowOpen returns.
struct AboutState {
    RECT centreOn;
    GdiObject<HFONT> nameFont;
    GdiObject<HBITMAP> picture;
    GdiObject<HBITMAP> back;
    HDC pictureDC = nullptr;
    HDC backDC = nullptr;
    HGDIOBJ pictureOld = nullptr;
    HGDIOBJ backOld = nullptr;
    int lineHeight = 0;
    int creditsHeight = 0;
    int creditsY = 0;
    int creditsRight = 0;  // the edge the rows are aligned to
    bool credits = false;
    bool longVersion = false;

    AboutState() = default;
    AboutState(const AboutState&) = delete;
    AboutState& operator=(const AboutState&) = delete;
    ~AboutState() {
        // Each bitmap leaves its DC before either is deleted.
        if (pictureDC) SelectObject(pictureDC, pictureOld), DeleteDC(pictureDC);
        if (backDC) SelectObject(backDC, backOld), DeleteDC(backDC);
    }
};

AboutState* StateOf(HWND window) { return reinterpret_cast<AboutState*>(GetWindowLongPtrW(window, DWLP_USER)); }

void FormatVersion(bool longForm, WCHAR* text) {
    UINT major = TV2_HOST_VERSION & 0xFF, minor = (TV2_HOST_VERSION >> 8) & 0xFF,
         revision = (TV2_HOST_VERSION >> 16) & 0xFF;
    if (longForm)
        wsprintfW(text, L"v%u.%u.%u%s (%S), plugin-api v%u.%u", major, minor, revision, kVersionSuffix, kBuildDate,
                  TV2_INTERFACE_VERSION >> 16, TV2_INTERFACE_VERSION & 0xFFFF);
    else
        wsprintfW(text, L"version %u.%u.%u%s", major, minor, revision, kVersionSuffix);
}

void AboutDrawBackBuffer(AboutState* s) {
    BitBlt(s->backDC, 0, 0, kPictureWidth, kPictureHeight, s->pictureDC, 0, 0, SRCCOPY);
    if (!s->credits) return;
    HGDIOBJ oldFont = GetCurrentObject(s->backDC, OBJ_FONT);
    int y = s->creditsY;
    for (int i = 0; i < kCreditRows && y <= kPictureHeight; ++i, y += s->lineHeight) {
        if (y < -s->lineHeight || !kCredits[i].text) continue;
        WCHAR text[128];
        LoadStr(kCredits[i].text, text, 128);
        SelectObject(s->backDC, SkinGetFont(kCredits[i].style));
        RECT r = {4, y, s->creditsRight, y + s->lineHeight};
        DrawTextW(s->backDC, text, -1, &r, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    SelectObject(s->backDC, oldFont);
}

void AboutInvalidatePicture(HWND window) {
    RECT picture = {0, 0, kPictureWidth, kPictureHeight};
    InvalidateRect(window, &picture, TRUE);
}

bool AboutMakePictures(AboutState* s) {
    LOGFONTW lf;
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    StrCopyN(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
    lf.lfHeight = -28;
    lf.lfWeight = FW_BOLD;
    s->nameFont.reset(CreateFontIndirectW(&lf));
    SIZE average = {0, 0};
    GetAverageCharSize(SkinGetFont(0), &average);
    s->lineHeight = average.cy;
    s->creditsHeight = kCreditRows * s->lineHeight;
    // The rows stand right-aligned at 172, left of the picture's bars. A
    // language or font with a wider row moves that edge out rather than
    // cutting the row's start off.
    s->creditsRight = 172;
    for (const CreditRow& row : kCredits) {
        SIZE size = {0, 0};
        if (row.text) MeasureText(GetStr(row.text), &size, SkinGetFont(row.style));
        if (4 + size.cx > s->creditsRight) s->creditsRight = 4 + size.cx < kPictureWidth ? 4 + size.cx : kPictureWidth;
    }

    ScopedWindowDC screen(nullptr);
    s->picture.reset(ArtLoadBitmap(IDB_ABOUT));
    s->back.reset(CreateCompatibleBitmap(screen, kPictureWidth, kPictureHeight));
    s->pictureDC = CreateCompatibleDC(screen);
    s->backDC = CreateCompatibleDC(screen);
    if (!s->pictureDC || !s->backDC || !s->back) return false;
    // A missing picture leaves its DC's own blank bitmap: the texts still show.
    if (s->picture) s->pictureOld = SelectObject(s->pictureDC, s->picture);
    s->backOld = SelectObject(s->backDC, s->back);
    SetTextColor(s->backDC, RGB(0, 0, 0));
    SetBkMode(s->backDC, TRANSPARENT);
    AboutDrawBackBuffer(s);
    return true;
}

void AboutSetVersionText(HWND window, AboutState* s) {
    WCHAR text[128];
    FormatVersion(s->longVersion, text);
    HWND label = GetDlgItem(window, ABOUT_VERSION);
    SetWindowTextW(label, text);
    // The label is transparent: the picture beneath is drawn again first.
    RECT r;
    GetWindowRect(label, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    InvalidateRect(window, &r, TRUE);
}

INT_PTR AboutOnInitDialog(HWND window, AboutState* s) {
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(s));
    if (!AboutMakePictures(s)) {
        EndDialog(window, 0);
        return FALSE;
    }
    WCHAR ok[64], credits[64];
    LoadStr(IDS_OK, ok, 64);
    LoadStr(IDS_ABOUT_CREDITS, credits, 64);
    const DWORD quiet = WS_EX_NOPARENTNOTIFY;
    const DialogChild children[] = {
        {ABOUT_NAME, L"STATIC", quiet, SS_NOPREFIX, L"Tovara2"},
        {ABOUT_VERSION, L"STATIC", quiet, SS_NOTIFY | SS_NOPREFIX, nullptr},
        {ABOUT_TEXT, UBB_CLASS_NAME, 0, WS_GROUP | WS_TABSTOP, GetStr(IDS_ABOUT_TEXT)},
        {ABOUT_LINE, L"STATIC", quiet, SS_OWNERDRAW, nullptr},
        {IDOK, L"BUTTON", 0, WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, ok},
        {ABOUT_CREDITS, L"BUTTON", 0, WS_GROUP | WS_TABSTOP, credits},
    };
    DialogCreateChildren(window, children, sizeof(children) / sizeof(children[0]));
    DialogSetFonts(window, SkinGetFont(0), SkinGetFont(SKIN_BOLD), ABOUT_VERSION);
    SendDlgItemMessageW(window, ABOUT_NAME, WM_SETFONT, reinterpret_cast<WPARAM>(s->nameFont.get()), FALSE);
    HWND text = GetDlgItem(window, ABOUT_TEXT);
    SendMessageW(text, UBBM_SETFONT, reinterpret_cast<WPARAM>(L"Tahoma"), -11);
    SendMessageW(text, UBBM_SETLINKCOLOR, kLinkColour, 0);
    AboutSetVersionText(window, s);

    DialogFrameCentre(window, kPictureWidth, kClientHeight, s->centreOn);
    DialogFrameAnimateOpen(window);
    return FALSE;
}

void AboutOnSize(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    int x = r.left + 4, w = r.right - r.left - 8, b = r.bottom - 41;
    MoveWindow(GetDlgItem(window, ABOUT_NAME), x, b - 181, w, 34, FALSE);
    MoveWindow(GetDlgItem(window, ABOUT_VERSION), x, b - 147, w, 13, FALSE);
    MoveWindow(GetDlgItem(window, ABOUT_TEXT), x, b - 134, w, 118, FALSE);
    MoveWindow(GetDlgItem(window, ABOUT_LINE), r.left, r.bottom - 39, r.right - r.left, 2, FALSE);
    MoveWindow(GetDlgItem(window, IDOK), r.right - 83, r.bottom - 30, 75, 23, FALSE);
    MoveWindow(GetDlgItem(window, ABOUT_CREDITS), r.left + 8, r.bottom - 30, 75, 23, FALSE);
    InvalidateRect(window, &r, TRUE);
}

void AboutOnPaint(HWND window, AboutState* s) {
    ScopedPaint paint(window);
    RECT r = paint.info().rcPaint;
    // Everything is drawn here, erase or not: the picture part from the back
    // buffer, the strip of the buttons in the face colour.
    if (r.top < kPictureHeight) {
        int bottom = r.bottom < kPictureHeight ? r.bottom : kPictureHeight;
        BitBlt(paint, r.left, r.top, r.right - r.left, bottom - r.top, s->backDC, r.left, r.top, SRCCOPY);
    }
    if (r.bottom > kPictureHeight) {
        RECT strip = r;
        if (strip.top < kPictureHeight) strip.top = kPictureHeight;
        FillRect(paint, &strip, GetSysColorBrush(COLOR_BTNFACE));
    }
}

void AboutShowCredits(HWND window, AboutState* s, bool on) {
    s->credits = on;
    if (on) s->creditsY = kPictureHeight;  // they rise from below the picture
    AboutDrawBackBuffer(s);
    AboutInvalidatePicture(window);
    const int texts[] = {ABOUT_NAME, ABOUT_VERSION, ABOUT_TEXT};
    for (int id : texts) ShowWindow(GetDlgItem(window, id), on ? SW_HIDE : SW_SHOW);
    WCHAR text[64];
    LoadStr(on ? IDS_ABOUT_ABOUT : IDS_ABOUT_CREDITS, text, 64);
    SetDlgItemTextW(window, ABOUT_CREDITS, text);
    if (on)
        SetTimer(window, ABOUT_CREDITS_TIMER, ABOUT_CREDITS_STEP_MS, nullptr);
    else
        KillTimer(window, ABOUT_CREDITS_TIMER);
}

void AboutOnCreditsStep(HWND window, AboutState* s) {
    if (--s->creditsY < -s->creditsHeight) s->creditsY = kPictureHeight;
    AboutDrawBackBuffer(s);
    AboutInvalidatePicture(window);
}

void AboutOnCommand(HWND window, AboutState* s, WPARAM wp) {
    int id = LOWORD(wp), code = HIWORD(wp);
    switch (id) {
    case IDOK:
    case IDCANCEL: PostMessageW(window, WM_CLOSE, 0, 0); return;
    case ABOUT_VERSION:
        if (code != STN_CLICKED && code != STN_DBLCLK) return;
        s->longVersion = !s->longVersion;
        AboutSetVersionText(window, s);
        return;
    case ABOUT_TEXT:
        if (code == 1) MessageBoxW(window, L"Link to license not yet implemented.", L"Tovara2", MB_ICONEXCLAMATION);
        return;
    case ABOUT_CREDITS:
        if (code == BN_CLICKED) AboutShowCredits(window, s, !s->credits);
        return;
    }
}

INT_PTR AboutOnCtlColorStatic(HWND window, HDC dc, HWND control, WPARAM wp, LPARAM lp) {
    int id = GetDlgCtrlID(control);
    if (id != ABOUT_NAME && id != ABOUT_VERSION && id != ABOUT_TEXT)
        return DefWindowProcW(window, WM_CTLCOLORSTATIC, wp, lp);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, id == ABOUT_NAME ? RGB(0, 0, 0) : kTextColour);
    return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
}

INT_PTR CALLBACK AboutProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    AboutState* s = StateOf(window);
    switch (msg) {
    case WM_INITDIALOG: return AboutOnInitDialog(window, reinterpret_cast<AboutState*>(lp));
    }
    if (!s) return FALSE;
    switch (msg) {
    case WM_COMMAND: AboutOnCommand(window, s, wp); return FALSE;
    case WM_TIMER:
        if (wp == ABOUT_CREDITS_TIMER) AboutOnCreditsStep(window, s);
        return FALSE;
    case WM_SIZE: AboutOnSize(window); return FALSE;
    case WM_PAINT: AboutOnPaint(window, s); return TRUE;
    case WM_ERASEBKGND:
        // WM_PAINT covers every pixel; erasing first would only flicker.
        SetWindowLongPtrW(window, DWLP_MSGRESULT, 1);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return AboutOnCtlColorStatic(window, reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), wp, lp);
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (item->CtlType == ODT_STATIC && item->CtlID == ABOUT_LINE) DialogDrawEtchedLine(item);
        return FALSE;
    }
    case WM_CLOSE:
        KillTimer(window, ABOUT_CREDITS_TIMER);
        DialogFrameClose(window, 1);
        return FALSE;
    case WM_DESTROY:
        KillTimer(window, ABOUT_CREDITS_TIMER);
        SetWindowLongPtrW(window, DWLP_USER, 0);
        return FALSE;
    }
    return FALSE;
}

}  // namespace

int AboutWindowOpen(const RECT& centreOn) {
    AboutState state;
    state.centreOn = centreOn;
    const DialogFrame frame = {kTitle, kMutexName, DLGFRAME_STYLE, 0};
    INT_PTR result = DialogFrameRun(frame, nullptr, AboutProc, reinterpret_cast<LPARAM>(&state), 0);
    return result == 1 ? 1 : 0;
}
