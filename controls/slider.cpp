// TV2SLIDER: the window, its state and its message handlers. The position
// arithmetic lives in control_geometry.cpp.
#include "controls/slider.h"

#include <windowsx.h>

#include "controls/control_geometry.h"
#include "controls/controls.h"
#include "core/runtime/memory.h"
#include "core/runtime/owners.h"

namespace {

constexpr int kThumbWidth = 8;

struct SliderState {
    bool interactive;  // no SLS_READONLY
    DWORD minimum, maximum, position;
    DWORD style;
    bool focus;
};

SliderState* SliderFrom(HWND w) { return reinterpret_cast<SliderState*>(GetWindowLongPtrW(w, 0)); }

void Redraw(HWND w) { RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }

void Notify(HWND w, WORD code) {
    WORD id = LOWORD(GetDlgCtrlID(w));
    PostMessageW(GetParent(w), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(w));
}

LRESULT SliderOnNcCreate(HWND w, const CREATESTRUCTW* cs) {
    SliderState* s = static_cast<SliderState*>(MemAllocZero(sizeof(SliderState)));
    if (!s) return FALSE;
    s->style = static_cast<DWORD>(cs->style);
    s->interactive = !(s->style & SLS_READONLY);
    SetWindowLongPtrW(w, 0, reinterpret_cast<LONG_PTR>(s));
    return TRUE;
}

void SliderOnPaint(HWND w, SliderState* s) {
    ScopedPaint paint(w);
    HDC dc = paint;
    RECT r;
    GetClientRect(w, &r);
    bool range = s->maximum != s->minimum;
    if (s->style & SLS_THUMB) {
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
        RECT track = r;
        track.top = r.top + (r.bottom - r.top) / 2;
        DrawEdge(dc, &track, EDGE_SUNKEN, BF_TOP);
        if (s->focus) DrawFocusRect(dc, &r);
        if (range) {
            RECT thumb = r;
            thumb.left = SliderThumbLeft(&r, s->minimum, s->maximum, s->position);
            thumb.right = thumb.left + kThumbWidth;
            DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT | BF_MIDDLE);
        }
        return;
    }
    FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
    RECT bar = r;
    bar.right = range ? SliderBarRight(&r, s->minimum, s->maximum, s->position) : r.left;
    FillRect(dc, &bar, GetSysColorBrush(COLOR_HIGHLIGHT));
    if (s->focus) DrawFocusRect(dc, &r);
}

// True when the position moved.
bool FollowPointer(HWND w, SliderState* s, LPARAM lp) {
    RECT r;
    GetClientRect(w, &r);
    DWORD position = SliderPositionFromX(GET_X_LPARAM(lp), &r, s->minimum, s->maximum, s->style & SLS_THUMB);
    if (position == s->position) return false;
    s->position = position;
    return true;
}

void SliderOnButtonDown(HWND w, SliderState* s, LPARAM lp) {
    RECT r;
    GetClientRect(w, &r);
    POINT pt = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    if (!PtInRect(&r, pt)) return;
    FollowPointer(w, s, lp);
    Redraw(w);
    Notify(w, SLN_CHANGED);
    SetCapture(w);
}

void SliderOnMouseMove(HWND w, SliderState* s, LPARAM lp) {
    if (GetCapture() != w || !FollowPointer(w, s, lp)) return;
    Redraw(w);
    Notify(w, SLN_CHANGED);
}

void SliderOnButtonUp(HWND w) {
    if (GetCapture() != w) return;
    ReleaseCapture();
    Notify(w, SLN_FINISHED);
}

void SliderOnKeyDown(HWND w, SliderState* s, WPARAM key) {
    s->position = SliderKeyPosition(s->position, s->minimum, s->maximum, key);
    Redraw(w);
    Notify(w, SLN_FINISHED);
}

// The setters keep minimum <= position <= maximum: a value that would break
// it is ignored and nothing is drawn.
void SliderOnSetMin(HWND w, SliderState* s, DWORD value, bool notify) {
    if (value > s->maximum) return;
    s->minimum = value;
    if (s->position < value) {
        s->position = value;
        if (notify) Notify(w, SLN_CHANGED);
    }
    Redraw(w);
}

void SliderOnSetMax(HWND w, SliderState* s, DWORD value, bool notify) {
    if (value < s->minimum) return;
    s->maximum = value;
    if (s->position > value) {
        s->position = value;
        if (notify) Notify(w, SLN_CHANGED);
    }
    Redraw(w);
}

void SliderOnSetPos(HWND w, SliderState* s, DWORD value, bool notify) {
    if (value < s->minimum || value > s->maximum) return;
    s->position = value;
    Redraw(w);
    if (notify) Notify(w, SLN_CHANGED);
}

LRESULT CALLBACK SliderProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) return SliderOnNcCreate(w, reinterpret_cast<const CREATESTRUCTW*>(lp));
    SliderState* s = SliderFrom(w);
    if (!s) return DefWindowProcW(w, msg, wp, lp);
    DWORD value = static_cast<DWORD>(wp);
    switch (msg) {
    case WM_DESTROY:
        SetWindowLongPtrW(w, 0, 0);
        MemFree(s);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (s->interactive) {
            s->focus = msg == WM_SETFOCUS;
            RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE);
        }
        return 0;
    case WM_PAINT: SliderOnPaint(w, s); return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_BUTTON;
    case WM_KEYDOWN:
        if (s->interactive) SliderOnKeyDown(w, s, wp);
        return 0;
    // No focus taken on a click: only the dialog manager or the parent gives it.
    case WM_LBUTTONDOWN:
        if (s->interactive) SliderOnButtonDown(w, s, lp);
        return 0;
    case WM_MOUSEMOVE:
        if (s->interactive) SliderOnMouseMove(w, s, lp);
        return 0;
    case WM_LBUTTONUP:
        if (s->interactive) SliderOnButtonUp(w);
        return 0;
    case WM_LBUTTONDBLCLK: return 0;
    case SLM_SETMIN: SliderOnSetMin(w, s, value, lp != 0); return 0;
    case SLM_GETMIN: return s->minimum;
    case SLM_SETMAX: SliderOnSetMax(w, s, value, lp != 0); return 0;
    case SLM_GETMAX: return s->maximum;
    case SLM_SETPOS: SliderOnSetPos(w, s, value, lp != 0); return 0;
    case SLM_GETPOS: return s->position;
    }
    return DefWindowProcW(w, msg, wp, lp);
}

}  // namespace

bool SliderRegister() {
    WNDCLASSEXW wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = SliderProc;
    wc.cbWndExtra = sizeof(SliderState*);
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = TV2SLIDER_CLASS_NAME;
    return RegisterClassExW(&wc) != 0;
}

void SliderUnregister() { UnregisterClassW(TV2SLIDER_CLASS_NAME, GetModuleHandleW(nullptr)); }
