// TV2SCROLLTEXT: the window, its state and its message handlers. The scroll
// steps are worked out in control_geometry.cpp.
#include "controls/scroll_text.h"

#include "controls/control_geometry.h"
#include "controls/controls.h"
#include "core/runtime/memory.h"
#include "core/runtime/owners.h"
#include "core/runtime/skin.h"
#include "core/runtime/wstr.h"

namespace {

constexpr UINT_PTR kTimerId = 0;
constexpr int kMargin = 1;  // left and right

struct ScrollTextState {
    WCHAR* text;  // null without text
    SIZE size;    // of the text in the control's font
    ScrollOffset scroll;
    HFONT font;
    UINT format;  // DrawTextW flags
    DWORD style;
};

ScrollTextState* ScrollTextFrom(HWND w) { return reinterpret_cast<ScrollTextState*>(GetWindowLongPtrW(w, 0)); }

void Redraw(HWND w) { RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_UPDATENOW); }

RECT TextArea(HWND w) {
    RECT a;
    GetClientRect(w, &a);
    a.left += kMargin;
    a.right -= kMargin;
    return a;
}

void Measure(HWND w, ScrollTextState* s) {
    SIZE size = {0, 0};
    if (s->text && s->text[0]) MeasureText(s->text, &size, s->font);
    if (size.cx == s->size.cx && size.cy == s->size.cy) return;
    s->size = size;
    s->scroll.offset = 0;
    Redraw(w);
}

LRESULT ScrollTextOnNcCreate(HWND w, const CREATESTRUCTW* cs) {
    ScrollTextState* s = static_cast<ScrollTextState*>(MemAllocZero(sizeof(ScrollTextState)));
    if (!s) return FALSE;
    s->style = static_cast<DWORD>(cs->style);
    s->format = ScrollTextFormat(s->style);
    if (cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) s->text = StrDup(cs->lpszName);
    SetWindowLongPtrW(w, 0, reinterpret_cast<LONG_PTR>(s));
    Measure(w, s);
    SetTimer(w, kTimerId, (s->style & STS_SMOOTH) ? 100 : 300, nullptr);
    return TRUE;
}

void ScrollTextOnDestroy(HWND w, ScrollTextState* s) {
    KillTimer(w, kTimerId);
    SetWindowLongPtrW(w, 0, 0);
    if (s->text) MemFree(s->text);
    MemFree(s);
}

void ScrollTextOnPaint(HWND w, ScrollTextState* s) {
    ScopedPaint paint(w);
    HDC dc = paint;
    RECT r;
    GetClientRect(w, &r);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SelectScope font(dc, s->font);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    if (!s->text) return;
    RECT a = TextArea(w);
    int length = StrLen(s->text);
    if (!ScrollTextScrolls(s->size.cx, a.right - a.left)) {
        UINT align = (s->style & STS_CENTER) ? DT_CENTER : (s->style & STS_RIGHT) ? DT_RIGHT : 0;
        DrawTextW(dc, s->text, length, &a, s->format | align);
        return;
    }
    // Unclipped drawing in a clipped area: the text is wider than the area,
    // and all of it must pass through the area.
    IntersectClipRect(dc, a.left, a.top, a.right, a.bottom);
    OffsetRect(&a, -s->scroll.offset, 0);
    DrawTextW(dc, s->text, length, &a, s->format | DT_NOCLIP);
    if (!(s->style & STS_BOUNCE)) {
        OffsetRect(&a, s->size.cx + kScrollTextGap, 0);
        DrawTextW(dc, s->text, length, &a, s->format | DT_NOCLIP);
    }
}

void ScrollTextOnTimer(HWND w, ScrollTextState* s) {
    RECT a = TextArea(w);
    ScrollTextStep(&s->scroll, s->size.cx, a.right - a.left, s->style);
    Redraw(w);
}

LRESULT CALLBACK ScrollTextProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) return ScrollTextOnNcCreate(w, reinterpret_cast<const CREATESTRUCTW*>(lp));
    ScrollTextState* s = ScrollTextFrom(w);
    if (!s) return DefWindowProcW(w, msg, wp, lp);
    switch (msg) {
    case WM_DESTROY: ScrollTextOnDestroy(w, s); return 0;
    case WM_SETTEXT:
        if (s->text) MemFree(s->text);
        s->text = lp ? StrDup(reinterpret_cast<const WCHAR*>(lp)) : nullptr;
        Measure(w, s);
        // SetWindowTextW reports this result as its own success.
        return TRUE;
    case WM_GETTEXT: {
        WCHAR* buffer = reinterpret_cast<WCHAR*>(lp);
        if (!s->text || !buffer || wp == 0) return 0;
        StrCopyN(buffer, s->text, wp > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(wp));
        return StrLen(buffer);
    }
    case WM_GETTEXTLENGTH: return s->text ? StrLen(s->text) : 0;
    case WM_PAINT: ScrollTextOnPaint(w, s); return 0;
    case WM_SETFONT:
        ControlTakeFont(&s->font, reinterpret_cast<HFONT>(wp));
        Measure(w, s);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(s->font);
    case WM_GETDLGCODE: return DLGC_BUTTON;
    case WM_TIMER: ScrollTextOnTimer(w, s); return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK: return 0;
    }
    return DefWindowProcW(w, msg, wp, lp);
}

}  // namespace

bool ScrollTextRegister() {
    WNDCLASSEXW wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = ScrollTextProc;
    wc.cbWndExtra = sizeof(ScrollTextState*);
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = TV2SCROLLTEXT_CLASS_NAME;
    return RegisterClassExW(&wc) != 0;
}

void ScrollTextUnregister() { UnregisterClassW(TV2SCROLLTEXT_CLASS_NAME, GetModuleHandleW(nullptr)); }
