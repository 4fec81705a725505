// FANCYIMAGE: the window, its state and its message handlers. Where the
// bitmap goes is worked out in control_geometry.cpp.
#include "controls/fancy_image.h"

#include <windowsx.h>

#include "controls/control_geometry.h"
#include "controls/controls.h"
#include "core/runtime/memory.h"
#include "core/runtime/owners.h"

namespace {

// Process-wide, loaded at registration before any control exists.
HCURSOR g_arrowCursor;

struct ImageState {
    DWORD style;
    bool hot, pressed;
    HBITMAP bitmap;  // the caller's, never selected nor changed here
    COLORREF transparent;
    // A private copy of the bitmap (its transparent pixels blackened) and
    // the mask of those pixels, each selected into a memory DC of its own.
    HDC imageDC, maskDC;
    HBITMAP copy, mask;
    HGDIOBJ imageDCOld, maskDCOld;
    int width, height;
};

ImageState* ImageFrom(HWND w) { return reinterpret_cast<ImageState*>(GetWindowLongPtrW(w, 0)); }

void Notify(HWND w, const ImageState* s, WORD code) {
    if (!(s->style & FIS_NOTIFY)) return;
    WORD id = LOWORD(GetWindowLongW(w, GWL_ID));
    SendMessageW(GetParent(w), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(w));
}

void ReleaseImage(ImageState* s) {
    if (s->imageDC) {
        SelectObject(s->imageDC, s->imageDCOld);
        DeleteDC(s->imageDC);
    }
    if (s->maskDC) {
        SelectObject(s->maskDC, s->maskDCOld);
        DeleteDC(s->maskDC);
    }
    if (s->copy) DeleteObject(s->copy);
    if (s->mask) DeleteObject(s->mask);
    s->imageDC = s->maskDC = nullptr;
    s->copy = s->mask = nullptr;
    s->width = s->height = 0;
}

// Copies the caller's bitmap into one of our own; false when it is no
// bitmap or cannot be read (selected into a DC elsewhere).
bool CopyBitmap(ImageState* s, HDC screen, const BITMAP& bm) {
    ScopedMemDC source(screen);
    HGDIOBJ old = SelectObject(source, s->bitmap);
    if (!old) return false;
    s->copy = CreateCompatibleBitmap(screen, bm.bmWidth, bm.bmHeight);
    s->imageDC = CreateCompatibleDC(screen);
    bool ok = s->copy && s->imageDC;
    if (ok) {
        s->imageDCOld = SelectObject(s->imageDC, s->copy);
        BitBlt(s->imageDC, 0, 0, bm.bmWidth, bm.bmHeight, source, 0, 0, SRCCOPY);
    }
    SelectObject(source, old);
    return ok;
}

void MakeMask(ImageState* s, HDC screen) {
    s->mask = CreateBitmap(s->width, s->height, 1, 1, nullptr);
    s->maskDC = CreateCompatibleDC(screen);
    if (!s->mask || !s->maskDC) return;
    s->maskDCOld = SelectObject(s->maskDC, s->mask);
    // White where the image has the transparent colour.
    SetBkColor(s->imageDC, s->transparent);
    BitBlt(s->maskDC, 0, 0, s->width, s->height, s->imageDC, 0, 0, SRCCOPY);
    if (s->transparent != RGB(0, 0, 0)) {
        // Blacken those pixels so that SRCPAINT leaves the background there.
        SetBkColor(s->imageDC, RGB(0, 0, 0));
        SetTextColor(s->imageDC, RGB(255, 255, 255));
        BitBlt(s->imageDC, 0, 0, s->width, s->height, s->maskDC, 0, 0, SRCAND);
    }
}

void ImageOnSetImage(HWND w, ImageState* s, HBITMAP bitmap, COLORREF transparent) {
    ReleaseImage(s);
    s->bitmap = bitmap;
    s->transparent = transparent;
    BITMAP bm;
    // A null or dead handle draws nothing rather than a size read from garbage.
    if (GetObjectType(bitmap) == OBJ_BITMAP && GetObjectW(bitmap, sizeof(bm), &bm) && bm.bmWidth > 0 &&
        bm.bmHeight > 0) {
        ScopedWindowDC screen(nullptr);
        if (CopyBitmap(s, screen, bm)) {
            s->width = bm.bmWidth;
            s->height = bm.bmHeight;
            if (s->style & FIS_TRANSPARENT) MakeMask(s, screen);
        } else {
            ReleaseImage(s);
        }
    }
    InvalidateRect(w, nullptr, TRUE);
}

void ImageOnPaint(HWND w, ImageState* s) {
    ScopedPaint paint(w);
    HDC dc = paint;
    const RECT& p = paint.info().rcPaint;
    HWND parent = GetParent(w);
    HBRUSH brush = reinterpret_cast<HBRUSH>(
        SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(w)));
    if (brush == GetStockObject(NULL_BRUSH)) {
        // Transparent: what shows through is the parent, drawn now.
        RECT under = p;
        MapWindowPoints(w, parent, reinterpret_cast<POINT*>(&under), 2);
        RedrawWindow(parent, &under, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_NOCHILDREN | RDW_UPDATENOW);
    }
    FillRect(dc, &p, brush);
    if (!s->imageDC) return;
    RECT r;
    GetClientRect(w, &r);
    POINT d = FancyImagePlace(&r, s->width, s->height, s->style);
    int cx = p.right - p.left, cy = p.bottom - p.top;
    if (s->style & FIS_TRANSPARENT) {
        if (!s->maskDC) return;
        // The parent may have coloured the DC; the mask must turn into pure
        // black and white on it.
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(255, 255, 255));
        BitBlt(dc, p.left, p.top, cx, cy, s->maskDC, p.left - d.x, p.top - d.y, SRCAND);
        BitBlt(dc, p.left, p.top, cx, cy, s->imageDC, p.left - d.x, p.top - d.y, SRCPAINT);
    } else {
        BitBlt(dc, p.left, p.top, cx, cy, s->imageDC, p.left - d.x, p.top - d.y, SRCCOPY);
    }
}

// Returns false for a press outside, which is not passed on.
bool ImageOnMouse(HWND w, ImageState* s, UINT msg, LPARAM lp) {
    RECT r;
    GetClientRect(w, &r);
    POINT pt = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    bool inside = PtInRect(&r, pt) != 0;
    switch (msg) {
    case WM_MOUSEMOVE:
        if (GetCapture() != w) {
            s->hot = true;
            s->pressed = false;
            SetCapture(w);
        } else if (!inside) {
            s->hot = false;
            if (!s->pressed) ReleaseCapture();
            Notify(w, s, FIN_LEAVE);
            return true;
        } else if (s->hot) {
            return true;
        }
        s->hot = true;
        if (s->style & FIS_NOTIFY) Notify(w, s, FIN_ENTER);
        else SetCursor(g_arrowCursor);
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (!inside) return false;
        s->pressed = true;
        if (msg == WM_LBUTTONDBLCLK) Notify(w, s, FIN_DBLCLK);
        return true;
    case WM_LBUTTONUP:
        if (!s->pressed) return true;
        s->pressed = false;
        if (!inside) {
            s->hot = false;
            ReleaseCapture();
            Notify(w, s, FIN_LEAVE);
        } else {
            Notify(w, s, FIN_CLICKED);
        }
        return true;
    }
    return true;
}

LRESULT CALLBACK FancyImageProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        ImageState* s = static_cast<ImageState*>(MemAllocZero(sizeof(ImageState)));
        if (!s) return FALSE;
        s->style = static_cast<DWORD>(reinterpret_cast<const CREATESTRUCTW*>(lp)->style);
        SetWindowLongPtrW(w, 0, reinterpret_cast<LONG_PTR>(s));
        SetCursor(g_arrowCursor);
        return TRUE;
    }
    ImageState* s = ImageFrom(w);
    if (!s) return DefWindowProcW(w, msg, wp, lp);
    switch (msg) {
    case WM_DESTROY:
        SetWindowLongPtrW(w, 0, 0);
        ReleaseImage(s);
        MemFree(s);
        return 0;
    case WM_PAINT: ImageOnPaint(w, s); return 0;
    case WM_GETDLGCODE: return DLGC_STATIC;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        // The parent may destroy us while it handles a notification.
        if (ImageOnMouse(w, s, msg, lp) && IsWindow(w)) DefWindowProcW(w, msg, wp, lp);
        return 0;
    case WM_CAPTURECHANGED: {
        HWND to = reinterpret_cast<HWND>(lp);
        if (to != w && to) {
            s->hot = s->pressed = false;
            Notify(w, s, FIN_LEAVE);
        }
        if (IsWindow(w)) DefWindowProcW(w, msg, wp, lp);
        return 0;
    }
    case FBM_SETIMAGE: ImageOnSetImage(w, s, reinterpret_cast<HBITMAP>(wp), static_cast<COLORREF>(lp)); return 0;
    case FBM_GETIMAGE: return reinterpret_cast<LRESULT>(s->bitmap);
    }
    return DefWindowProcW(w, msg, wp, lp);
}

}  // namespace

bool FancyImageRegister() {
    if (!g_arrowCursor) g_arrowCursor = LoadCursorW(nullptr, IDC_ARROW);
    WNDCLASSEXW wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = FancyImageProc;
    wc.cbWndExtra = sizeof(ImageState*);
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = FANCYIMAGE_CLASS_NAME;
    return RegisterClassExW(&wc) != 0;
}

void FancyImageUnregister() {
    UnregisterClassW(FANCYIMAGE_CLASS_NAME, GetModuleHandleW(nullptr));
    // The arrow comes from LoadCursorW and is the system's, shared by every
    // window: it is forgotten, never destroyed.
    g_arrowCursor = nullptr;
}
