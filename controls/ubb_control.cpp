// UBBControl: the window, its state and its message handlers. Parsing and
// layout live in ubb_markup.cpp and ubb_layout.cpp, the fonts in ubb_fonts.cpp.
#include "controls/ubb_control.h"

#include <shellapi.h>
#include <windowsx.h>

#include "controls/controls.h"
#include "controls/ubb_fonts.h"
#include "controls/ubb_layout.h"
#include "controls/ubb_markup.h"
#include "core/runtime/app_state.h"
#include "core/runtime/memory.h"
#include "core/runtime/owners.h"
#include "core/runtime/wstr.h"

namespace {

constexpr COLORREF kDefaultLinkColor = 0x00AA0000;
constexpr DWORD kEdgeStyles = WS_EX_STATICEDGE | WS_EX_CLIENTEDGE;
constexpr int kEdgeIndent = 2;
// A button released this far from where it went down still counts as a click.
constexpr int kClickSlop = 4;

// Process-wide, loaded at registration before any control exists.
HCURSOR g_handCursor;
HCURSOR g_arrowCursor;

struct UbbState {
    PtrArray* runs;
    PtrArray* fragments;
    WCHAR* markup;  // null when the control was created without a window name
    UbbFonts fonts;
    UbbLink* hot;    // under the mouse
    UbbLink* focus;  // carries the keyboard cursor
    POINT press;
    DWORD edge;  // WS_EX_STATICEDGE | WS_EX_CLIENTEDGE bits at creation
    BOOL painting;
    WORD align;  // UBBS_RIGHT, UBBS_CENTER
    COLORREF linkColor;
};

UbbState* UbbFrom(HWND w) { return reinterpret_cast<UbbState*>(GetWindowLongPtrW(w, 0)); }

void UbbLayOut(HWND w, UbbState* s) {
    RECT area;
    GetClientRect(w, &area);
    if (s->edge) area.left += kEdgeIndent;
    ScopedMemDC dc(nullptr);
    // Wine measures text in a memory DC's default monochrome bitmap with
    // other (hinted, unsmoothed) advances than it draws on the screen with,
    // so words overlap or drift apart. A screen-format bitmap makes both agree.
    GdiObject<HBITMAP> bitmap;
    {
        ScopedWindowDC screen(nullptr);
        bitmap.reset(CreateCompatibleBitmap(screen, 1, 1));
    }
    SelectScope selectBitmap(dc, bitmap);
    HGDIOBJ oldFont = GetCurrentObject(dc, OBJ_FONT);
    UbbGdiMeasure gdi = {dc, &s->fonts};
    UbbMeasurer measurer = UbbGdiMeasurer(&gdi);
    UbbLayout(s->runs, s->fragments, &area, s->align, &measurer);
    SelectObject(dc, oldFont);
}

// Shows a change of the hot or focus link at once.
void UbbRepaintLink(HWND w, UbbState* s, UbbLink* link) {
    if (!link) return;
    for (UINT i = 0; i < s->fragments->count; i++) {
        const UbbFragment* f = static_cast<const UbbFragment*>(s->fragments->items[i]);
        if (f->link == link) InvalidateRect(w, &f->rect, TRUE);
    }
    UpdateWindow(w);
}

void UbbSetFocusLink(HWND w, UbbState* s, UbbLink* link) {
    if (link == s->focus) return;
    UbbLink* old = s->focus;
    s->focus = link;
    UbbRepaintLink(w, s, old);
    UbbRepaintLink(w, s, link);
}

void UbbClearHot(HWND w, UbbState* s) {
    UbbLink* old = s->hot;
    s->hot = nullptr;
    UbbRepaintLink(w, s, old);
    SetCursor(g_arrowCursor);
}

void UbbActivate(HWND w, const UbbLink* link) {
    if (link->kind == UBB_LINK_NUMBER) {
        WORD id = LOWORD(GetWindowLongW(w, GWL_ID));
        PostMessageW(GetParent(w), WM_COMMAND, MAKEWPARAM(id, LOWORD(link->number)), reinterpret_cast<LPARAM>(w));
        return;
    }
    // The shell may pump messages while it opens the target; a new text
    // arriving meanwhile frees the link, so the call works on a copy.
    WCHAR target[UBB_MAX_TARGET + 1];
    StrCopyN(target, link->target, UBB_MAX_TARGET + 1);
    ShellExecuteW(w, L"open", target, L"", nullptr, SW_SHOWNORMAL);
}

// The links die with the runs they belong to: forget them before a re-parse.
void UbbForgetLinks(HWND w, UbbState* s) {
    s->focus = nullptr;
    if (s->hot) {
        s->hot = nullptr;
        SetCursor(g_arrowCursor);
        if (GetCapture() == w) ReleaseCapture();
    }
}

LRESULT UbbOnCreate(HWND w, const CREATESTRUCTW* cs) {
    UbbState* s = UbbFrom(w);
    if (!s) {
        s = static_cast<UbbState*>(MemAllocZero(sizeof(UbbState)));
        if (!s) return -1;
        SetWindowLongPtrW(w, 0, reinterpret_cast<LONG_PTR>(s));
    }
    SetCursor(g_arrowCursor);
    s->align = LOWORD(cs->style);
    s->runs = PtrArrayCreate();
    s->fragments = PtrArrayCreate();
    s->hot = s->focus = nullptr;
    s->linkColor = kDefaultLinkColor;
    s->painting = FALSE;
    // A window name may also be a resource ordinal, which is no markup.
    if (cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) s->markup = StrDup(cs->lpszName);
    s->edge = static_cast<DWORD>(cs->dwExStyle) & kEdgeStyles;
    LOGFONTW lf;
    ZeroMemory(&lf, sizeof(lf));
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    UbbFontsSet(&s->fonts, lf.lfFaceName, lf.lfHeight);
    UbbParse(s->runs, s->markup);
    return 0;
}

void UbbOnDestroy(HWND w, UbbState* s) {
    SetWindowLongPtrW(w, 0, 0);
    // Only our own capture: releasing another window's would cut its drag.
    if (GetCapture() == w) ReleaseCapture();
    UbbFreeRuns(s->runs);
    UbbFreeFragments(s->fragments);
    PtrArrayDestroy(s->runs);
    PtrArrayDestroy(s->fragments);
    UbbFontsClear(&s->fonts);
    if (s->markup) MemFree(s->markup);
    MemFree(s);
}

void UbbOnSize(HWND w, UbbState* s) {
    UbbLayOut(w, s);
    InvalidateRect(w, nullptr, TRUE);
}

LRESULT UbbOnSetText(HWND w, UbbState* s, const WCHAR* markup) {
    if (s->markup) MemFree(s->markup);
    s->markup = markup ? StrDup(markup) : nullptr;
    UbbForgetLinks(w, s);
    UbbParse(s->runs, s->markup);
    UbbLayOut(w, s);
    InvalidateRect(w, nullptr, TRUE);
    // SetWindowTextW reports this result as its own success.
    return TRUE;
}

LRESULT UbbOnGetText(UbbState* s, WPARAM size, WCHAR* buffer) {
    if (!buffer || size == 0) return 0;
    const WCHAR* markup = s->markup ? s->markup : L"";
    int length = StrLen(markup);
    int n = size < static_cast<WPARAM>(length) + 1 ? static_cast<int>(size) : length + 1;
    lstrcpynW(buffer, markup, n);
    return n - 1;
}

void UbbOnPaint(HWND w, UbbState* s) {
    if (s->painting) return;
    s->painting = TRUE;
    {
        ScopedPaint paint(w);
        HDC dc = paint;
        const PAINTSTRUCT& ps = paint.info();
        bool showFocus = GetFocus() == w && s->focus;
        HWND parent = GetParent(w);
        HBRUSH brush = reinterpret_cast<HBRUSH>(
            SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(w)));
        COLORREF plain = GetTextColor(dc);
        if (ps.fErase) {
            if (brush == GetStockObject(NULL_BRUSH)) {
                // Transparent: what shows through is the parent, drawn now.
                RECT r = ps.rcPaint;
                MapWindowPoints(w, parent, reinterpret_cast<POINT*>(&r), 2);
                RedrawWindow(parent, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_NOCHILDREN | RDW_UPDATENOW);
            }
            FillRect(dc, &ps.rcPaint, brush);
        }
        HGDIOBJ oldFont = GetCurrentObject(dc, OBJ_FONT);
        for (UINT i = 0; i < s->fragments->count; i++) {
            const UbbFragment* f = static_cast<const UbbFragment*>(s->fragments->items[i]);
            SetTextColor(dc, (f->style & UBB_LINK) ? s->linkColor : plain);
            UINT style = f->style | ((f->link && f->link == s->hot) ? UBB_UNDERLINE : 0);
            HFONT font = UbbFontGet(&s->fonts, style);
            if (font) SelectObject(dc, font);
            RECT r = f->rect;
            // Unclipped: the last glyph of italic text leans past the
            // measured extent, and Wine draws glyphs a little off the
            // extents it reports; clipping would cut them off.
            DrawTextW(dc, f->text, f->length, &r, DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
            if (showFocus && f->link == s->focus) DrawFocusRect(dc, &f->rect);
        }
        SelectObject(dc, oldFont);
    }
    s->painting = FALSE;
}

void UbbOnSetFont(UbbState* s, HFONT font) {
    LOGFONTW lf;
    // A null or dead font would leave lf undefined; keep the current one.
    if (!font || !GetObjectW(font, sizeof(lf), &lf)) return;
    UbbFontsSet(&s->fonts, lf.lfFaceName, lf.lfHeight);
}

void UbbOnKeyDown(HWND w, UbbState* s, WPARAM key) {
    switch (key) {
    case VK_RETURN:
    case VK_SPACE:
        if (s->focus) UbbActivate(w, s->focus);
        break;
    case VK_RIGHT:
    case VK_DOWN:
        UbbSetFocusLink(w, s, UbbNextLink(s->fragments, s->focus));
        break;
    case VK_LEFT:
    case VK_UP:
        UbbSetFocusLink(w, s, UbbPreviousLink(s->fragments, s->focus));
        break;
    }
}

// The capture taken while a link is hot lets the control see the mouse leave.
void UbbOnMouseMove(HWND w, UbbState* s) {
    POINT pt;
    GetCursorPos(&pt);
    ScreenToClient(w, &pt);
    UbbLink* under = UbbHitTest(s->fragments, pt);
    if (under == s->hot) return;
    if (s->hot) {
        UbbClearHot(w, s);
        ReleaseCapture();
    }
    s->hot = under;
    if (under) {
        SetCapture(w);
        SetCursor(g_handCursor);
        UbbRepaintLink(w, s, under);
    }
}

void UbbOnButtonDown(HWND w, UbbState* s, LPARAM lp) {
    s->press.x = GET_X_LPARAM(lp);
    s->press.y = GET_Y_LPARAM(lp);
    UbbSetFocusLink(w, s, UbbHitTest(s->fragments, s->press));
}

void UbbOnButtonUp(HWND w, UbbState* s, LPARAM lp) {
    POINT pt = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    RECT slop = {s->press.x - kClickSlop, s->press.y - kClickSlop, s->press.x + kClickSlop, s->press.y + kClickSlop};
    bool counts = PtInRect(&slop, pt) != 0;
    s->press = pt;
    if (!counts) return;
    UbbLink* link = UbbHitTest(s->fragments, pt);
    if (!link) return;
    UbbActivate(w, link);
    // The shell may have run a message loop meanwhile, even destroyed us.
    s = UbbFrom(w);
    if (s && s->hot == link) UbbClearHot(w, s);
}

LRESULT CALLBACK UbbProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CREATE) return UbbOnCreate(w, reinterpret_cast<CREATESTRUCTW*>(lp));
    UbbState* s = UbbFrom(w);
    if (!s) return DefWindowProcW(w, msg, wp, lp);
    switch (msg) {
    case WM_DESTROY: UbbOnDestroy(w, s); return 0;
    case WM_SIZE: UbbOnSize(w, s); return 0;
    case WM_SETFOCUS:
        if (!s->focus) s->focus = UbbFirstLink(s->fragments);
        UbbRepaintLink(w, s, s->focus);
        return 0;
    case WM_KILLFOCUS: UbbRepaintLink(w, s, s->focus); return 0;
    case WM_SETTEXT: return UbbOnSetText(w, s, reinterpret_cast<const WCHAR*>(lp));
    case WM_GETTEXT: return UbbOnGetText(s, wp, reinterpret_cast<WCHAR*>(lp));
    // Kept in step with WM_GETTEXT, or GetWindowTextLengthW would report the
    // text given at creation.
    case WM_GETTEXTLENGTH: return s->markup ? StrLen(s->markup) : 0;
    case WM_PAINT: UbbOnPaint(w, s); return 0;
    case WM_SETFONT: UbbOnSetFont(s, reinterpret_cast<HFONT>(wp)); return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_BUTTON;
    case WM_KEYDOWN: UbbOnKeyDown(w, s, wp); return 0;
    case WM_MOUSEMOVE: UbbOnMouseMove(w, s); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: UbbOnButtonDown(w, s, lp); return 0;
    case WM_LBUTTONUP: UbbOnButtonUp(w, s, lp); return 0;
    case WM_CAPTURECHANGED:
        if (s->hot) UbbClearHot(w, s);
        return 0;
    case UBBM_GETIDEALSIZE: {
        SIZE* size = reinterpret_cast<SIZE*>(wp);
        if (!size) return -1;
        RECT client;
        GetClientRect(w, &client);
        size->cx = client.right - client.left;
        size->cy = UbbTextHeight(s->fragments) + (s->edge ? kEdgeIndent : 0);
        return 0;
    }
    case UBBM_SETFONT: UbbFontsSet(&s->fonts, reinterpret_cast<const WCHAR*>(wp), static_cast<LONG>(lp)); return 0;
    case UBBM_GETFONT:
        if (wp) StrCopyN(reinterpret_cast<WCHAR*>(wp), s->fonts.face, LF_FACESIZE);
        if (lp) *reinterpret_cast<int*>(lp) = s->fonts.height;
        return 0;
    case UBBM_SETLINKCOLOR:
        s->linkColor = static_cast<COLORREF>(wp);
        InvalidateRect(w, nullptr, TRUE);
        return 0;
    case UBBM_GETLINKCOLOR: return s->linkColor;
    }
    return DefWindowProcW(w, msg, wp, lp);
}

}  // namespace

bool UBBControlRegister() {
    g_handCursor = LoadCursorW(nullptr, IDC_HAND);
    if (!g_handCursor) g_handCursor = LoadCursorW(AppInstance, MAKEINTRESOURCEW(32649));
    g_arrowCursor = LoadCursorW(nullptr, IDC_ARROW);
    WNDCLASSEXW wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.cbSize = sizeof(wc);
    wc.style = CS_PARENTDC;
    wc.lpfnWndProc = UbbProc;
    wc.cbWndExtra = sizeof(UbbState*);
    wc.hInstance = AppInstance;
    wc.lpszClassName = UBB_CLASS_NAME;
    return RegisterClassExW(&wc) != 0;
}

void UBBControlUnregister() {
    UnregisterClassW(UBB_CLASS_NAME, AppInstance);
    // Both cursors come from LoadCursorW and are shared: the system owns
    // them and DestroyCursor must not be called on them.
    g_handCursor = nullptr;
    g_arrowCursor = nullptr;
}
