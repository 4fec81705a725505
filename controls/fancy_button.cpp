// FANCYBUTTON: the window, its state and its message handlers. Where the
// content goes is worked out in control_geometry.cpp.
#include "controls/fancy_button.h"

#include "controls/control_geometry.h"
#include "controls/controls.h"
#include "core/runtime/memory.h"
#include "core/runtime/owners.h"
#include "core/runtime/skin.h"
#include "core/runtime/wstr.h"

namespace {

constexpr int kIconSize = 16;

struct FancyButtonState {
    WCHAR* text;  // null without text
    HFONT font;
    UINT format;  // DrawTextW flags
    DWORD style;
    HANDLE image;  // the caller's
    COLORREF transparent;
    WORD imageType;  // IMAGE_ICON, or a bitmap
    bool pressed;    // the left button went down on it and is still down
    bool hot;        // the pointer is over it while it holds the capture
    bool focus;
    bool enabled;
};

FancyButtonState* ButtonFrom(HWND w) { return reinterpret_cast<FancyButtonState*>(GetWindowLongPtrW(w, 0)); }

void Repaint(HWND w) { InvalidateRect(w, nullptr, TRUE); }

bool PointerOver(HWND w) {
    POINT pt;
    return GetCursorPos(&pt) && WindowFromPoint(pt) == w;
}

void Notify(HWND w, WORD code) {
    WORD id = LOWORD(GetWindowLongW(w, GWL_ID));
    SendMessageW(GetParent(w), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(w));
}

void NotifyIf(HWND w, FancyButtonState* s, WORD code) {
    if (s->style & FBS_NOTIFY) Notify(w, code);
}

LRESULT ButtonOnNcCreate(HWND w, const CREATESTRUCTW* cs) {
    FancyButtonState* s = static_cast<FancyButtonState*>(MemAllocZero(sizeof(FancyButtonState)));
    if (!s) return FALSE;
    s->style = static_cast<DWORD>(cs->style);
    s->format = FancyButtonTextFormat(s->style);
    s->enabled = !(cs->style & WS_DISABLED);
    s->transparent = RGB(255, 255, 255);
    // A window name may also be a resource ordinal, which is no text.
    if (cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) s->text = StrDup(cs->lpszName);
    SetWindowLongPtrW(w, 0, reinterpret_cast<LONG_PTR>(s));
    return TRUE;
}

void ButtonOnDestroy(HWND w, FancyButtonState* s) {
    SetWindowLongPtrW(w, 0, 0);
    if (s->text) MemFree(s->text);
    MemFree(s);
}

void ButtonOnFocus(HWND w, FancyButtonState* s, bool focus) {
    s->focus = focus;
    NotifyIf(w, s, focus ? FBN_SETFOCUS : FBN_KILLFOCUS);
    Repaint(w);
}

void ButtonOnSetText(FancyButtonState* s, const WCHAR* text) {
    if (s->text) MemFree(s->text);
    s->text = text ? StrDup(text) : nullptr;
}

LRESULT ButtonOnGetText(FancyButtonState* s, WPARAM size, WCHAR* buffer) {
    if (!s->text || !buffer || size == 0) return 0;
    int cap = size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(size);
    StrCopyN(buffer, s->text, cap);
    return StrLen(buffer);
}

void DrawEdges(HDC dc, const RECT& r, const FancyButtonState* s, bool framed, bool down) {
    RECT e = r;
    if (s->style & FBS_FLAT) {
        if (framed) DrawEdge(dc, &e, BDR_RAISEDINNER, BF_RECT);
        if (down) DrawEdge(dc, &e, BDR_SUNKENOUTER, BF_RECT);
        return;
    }
    if (framed) DrawEdge(dc, &e, BDR_SUNKENOUTER, BF_RECT | BF_FLAT | BF_MONO);
    InflateRect(&e, -1, -1);
    if (down) DrawEdge(dc, &e, BDR_SUNKENOUTER, BF_RECT | BF_FLAT);
    else DrawEdge(dc, &e, BDR_RAISEDINNER, BF_RECT);
}

void DrawContent(HDC dc, const RECT& c, const FancyButtonState* s) {
    if (!s->image) {
        if (!s->text) return;
        RECT t = c;
        DrawTextW(dc, s->text, StrLen(s->text), &t, s->format);
        return;
    }
    if (s->imageType == IMAGE_ICON) {
        POINT p = FancyButtonImagePlace(&c, kIconSize, kIconSize, s->style);
        DrawIconEx(dc, p.x, p.y, static_cast<HICON>(s->image), kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
        return;
    }
    BITMAP bm;
    if (!GetObjectW(s->image, sizeof(bm), &bm)) return;  // not (or no longer) a bitmap
    POINT p = FancyButtonImagePlace(&c, bm.bmWidth, bm.bmHeight, s->style);
    ScopedMemDC source(nullptr);
    // Fails while the caller has the bitmap selected into a DC of its own.
    HGDIOBJ old = SelectObject(source, s->image);
    if (!old) return;
    if (s->style & FBS_TRANSPARENT)
        DrawTransparentBitmap(dc, p.x, p.y, bm.bmWidth, bm.bmHeight, source, 0, 0, s->transparent);
    else
        BitBlt(dc, p.x, p.y, bm.bmWidth, bm.bmHeight, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
}

void ButtonOnPaint(HWND w, FancyButtonState* s) {
    ScopedPaint paint(w);
    HDC dc = paint;
    const PAINTSTRUCT& ps = paint.info();
    RECT r;
    GetClientRect(w, &r);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    SetTextColor(dc, GetSysColor(s->enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    HGDIOBJ oldFont = s->font ? SelectObject(dc, s->font) : nullptr;
    HWND parent = GetParent(w);
    HBRUSH brush = reinterpret_cast<HBRUSH>(
        SendMessageW(parent, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(w)));
    bool down = s->pressed && PointerOver(w);
    if (ps.fErase) {
        if (brush == GetStockObject(NULL_BRUSH)) {
            // Transparent: what shows through is the parent, drawn now.
            RECT under = ps.rcPaint;
            MapWindowPoints(w, parent, reinterpret_cast<POINT*>(&under), 2);
            RedrawWindow(parent, &under, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_NOCHILDREN | RDW_UPDATENOW);
        }
        FillRect(dc, &ps.rcPaint, brush);
        DrawEdges(dc, r, s, s->focus || GetCapture() == w, down);
    }
    RECT c = r;
    int inset = ((s->style & FBS_FLAT) || s->image) ? 2 : 3;
    InflateRect(&c, -inset, -inset);
    if (down) OffsetRect(&c, 1, 1);
    DrawContent(dc, c, s);
    if (s->focus) DrawFocusRect(dc, &c);
    if (oldFont) SelectObject(dc, oldFont);
}

void ButtonOnMouseMove(HWND w, FancyButtonState* s) {
    if (GetCapture() != w) {
        s->hot = true;
        s->pressed = false;
        SetCapture(w);
        Repaint(w);
        return;
    }
    if (PointerOver(w)) {
        if (!s->hot) {
            s->hot = true;
            Repaint(w);
        }
    } else if (!s->pressed) {
        s->hot = false;
        ReleaseCapture();
        Repaint(w);
    } else if (s->hot) {
        // Held on to while pressed, so that moving back in lights it again.
        s->hot = false;
        Repaint(w);
    }
}

void ButtonOnButtonUp(HWND w, FancyButtonState* s) {
    if (!s->pressed) return;
    if (!PointerOver(w)) {
        s->hot = false;
        s->pressed = false;
        ReleaseCapture();
        NotifyIf(w, s, FBN_KILLFOCUS);
    } else {
        s->pressed = false;
        Notify(w, FBN_CLICKED);
    }
    // The parent may have destroyed us while it handled the notification.
    if (IsWindow(w)) Repaint(w);
}

LRESULT CALLBACK FancyButtonProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) return ButtonOnNcCreate(w, reinterpret_cast<const CREATESTRUCTW*>(lp));
    FancyButtonState* s = ButtonFrom(w);
    if (!s) return DefWindowProcW(w, msg, wp, lp);
    switch (msg) {
    case WM_DESTROY: ButtonOnDestroy(w, s); return 0;
    case WM_SETFOCUS: ButtonOnFocus(w, s, true); return 0;
    case WM_KILLFOCUS: ButtonOnFocus(w, s, false); return 0;
    case WM_ENABLE:
        s->enabled = wp != 0;
        InvalidateRect(w, nullptr, FALSE);
        return 0;
    // SetWindowTextW reports this result as its own success.
    case WM_SETTEXT: ButtonOnSetText(s, reinterpret_cast<const WCHAR*>(lp)); return TRUE;
    case WM_GETTEXT: return ButtonOnGetText(s, wp, reinterpret_cast<WCHAR*>(lp));
    case WM_GETTEXTLENGTH: return s->text ? StrLen(s->text) : 0;
    case WM_PAINT: ButtonOnPaint(w, s); return 0;
    case WM_SETFONT:
        ControlTakeFont(&s->font, reinterpret_cast<HFONT>(wp));
        if (lp) Repaint(w);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(s->font);
    case WM_GETDLGCODE: return DLGC_BUTTON;
    case WM_KEYUP:
        if (wp == VK_RETURN || wp == VK_SPACE) Notify(w, FBN_CLICKED);
        return 0;
    case WM_MOUSEMOVE: ButtonOnMouseMove(w, s); return 0;
    // No focus taken on a click: the button leaves the keyboard where it was.
    case WM_LBUTTONDOWN:
        s->pressed = true;
        Repaint(w);
        return 0;
    case WM_LBUTTONDBLCLK:
        s->pressed = true;
        if (PointerOver(w)) NotifyIf(w, s, FBN_DBLCLK);
        if (IsWindow(w)) Repaint(w);
        return 0;
    case WM_LBUTTONUP: ButtonOnButtonUp(w, s); return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lp) != w) s->hot = s->pressed = false;
        Repaint(w);
        return 0;
    case FBM_SETIMAGE:
        s->imageType = static_cast<WORD>(wp);
        s->image = reinterpret_cast<HANDLE>(lp);
        Repaint(w);
        return 0;
    case FBM_GETIMAGE: return wp == s->imageType ? reinterpret_cast<LRESULT>(s->image) : 0;
    case FBM_SETTRANSCOLOR:
        s->transparent = static_cast<COLORREF>(wp);
        Repaint(w);
        return 0;
    case FBM_GETTRANSCOLOR: return s->transparent;
    }
    return DefWindowProcW(w, msg, wp, lp);
}

}  // namespace

bool FancyButtonRegister() {
    WNDCLASSEXW wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = FancyButtonProc;
    wc.cbWndExtra = sizeof(FancyButtonState*);
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = FANCYBUTTON_CLASS_NAME;
    return RegisterClassExW(&wc) != 0;
}

void FancyButtonUnregister() { UnregisterClassW(FANCYBUTTON_CLASS_NAME, GetModuleHandleW(nullptr)); }
