// The details popup: a small topmost tool window under (or above) the
// module, opened by a click, closed by a second click, a click on itself or
// when it loses activation.
#include "sysmon.h"

static const WCHAR kPopupClass[] = L"SysMonPopup";
constexpr int kPopupMaxWidth = 520;
constexpr int kPopupMaxHeight = 200;
constexpr int kMargin = 8;
constexpr int kColumnGap = 12;
constexpr int kLineGap = 2;

static Module* PopupModule(HWND w) { return reinterpret_cast<Module*>(GetWindowLongPtrW(w, GWLP_USERDATA)); }

// Lines are "label\tvalue"; labels form a column, values the next.
struct PopupLayout {
    int labelWidth, valueWidth, lineHeight, lines, titleHeight;
};

static const WCHAR* NextLine(const WCHAR* p, int* len, int* tab) {
    *len = 0, *tab = -1;
    while (p[*len] && p[*len] != L'\n') {
        if (p[*len] == L'\t' && *tab < 0) *tab = *len;
        ++*len;
    }
    return p[*len] ? p + *len + 1 : p + *len;
}

static PopupLayout Measure(HDC dc, const Module* m) {
    PopupLayout l = {0, 0, 0, 0, 0};
    SIZE size;
    HGDIOBJ old = SelectObject(dc, HostFont(TV2_FONT_BOLD));
    const WCHAR* title = KindOps(m->kind)->title;
    GetTextExtentPoint32W(dc, title, StrLength(title), &size);
    l.titleHeight = size.cy + 6;
    int titleWidth = size.cx;
    SelectObject(dc, HostFont(0));
    for (const WCHAR* p = m->popupText; *p;) {
        int len, tab;
        const WCHAR* next = NextLine(p, &len, &tab);
        int labelLen = tab < 0 ? 0 : tab;
        const WCHAR* value = tab < 0 ? p : p + tab + 1;
        int valueLen = tab < 0 ? len : len - tab - 1;
        GetTextExtentPoint32W(dc, p, labelLen, &size);
        if (size.cx > l.labelWidth) l.labelWidth = size.cx;
        GetTextExtentPoint32W(dc, value, valueLen, &size);
        if (size.cx > l.valueWidth) l.valueWidth = size.cx;
        if (size.cy > l.lineHeight) l.lineHeight = size.cy;
        ++l.lines;
        p = next;
    }
    if (l.labelWidth + kColumnGap + l.valueWidth < titleWidth) l.valueWidth = titleWidth - l.labelWidth - kColumnGap;
    SelectObject(dc, old);
    return l;
}

static SIZE PopupSize(const PopupLayout& l) {
    SIZE s;
    s.cx = kMargin * 2 + l.labelWidth + kColumnGap + l.valueWidth + 2;
    s.cy = kMargin * 2 + l.titleHeight + l.lines * (l.lineHeight + kLineGap) + 2;
    if (s.cx > kPopupMaxWidth) s.cx = kPopupMaxWidth;
    if (s.cy > kPopupMaxHeight) s.cy = kPopupMaxHeight;
    return s;
}

static void PopupPaint(HWND w, Module* m) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT client;
    GetClientRect(w, &client);
    HDC buf = m->popupDC ? m->popupDC : dc;
    FillRect(buf, &client, GetSysColorBrush(COLOR_WINDOW));
    PopupLayout l = Measure(buf, m);
    SetBkMode(buf, TRANSPARENT);
    HGDIOBJ old = SelectObject(buf, HostFont(TV2_FONT_BOLD));
    SetTextColor(buf, GetSysColor(COLOR_WINDOWTEXT));
    const WCHAR* title = KindOps(m->kind)->title;
    TextOutW(buf, kMargin, kMargin - 2, title, StrLength(title));
    RECT rule = {kMargin, kMargin + l.titleHeight - 4, client.right - kMargin, kMargin + l.titleHeight - 2};
    if (m->accentBrush) FillRect(buf, &rule, m->accentBrush);
    SelectObject(buf, HostFont(0));
    int y = kMargin + l.titleHeight;
    for (const WCHAR* p = m->popupText; *p;) {
        int len, tab;
        const WCHAR* next = NextLine(p, &len, &tab);
        if (tab >= 0) {
            SetTextColor(buf, GetSysColor(COLOR_GRAYTEXT));
            TextOutW(buf, kMargin, y, p, tab);
            SetTextColor(buf, GetSysColor(COLOR_WINDOWTEXT));
            TextOutW(buf, kMargin + l.labelWidth + kColumnGap, y, p + tab + 1, len - tab - 1);
        } else {
            SetTextColor(buf, GetSysColor(COLOR_WINDOWTEXT));
            TextOutW(buf, kMargin, y, p, len);
        }
        y += l.lineHeight + kLineGap;
        p = next;
    }
    SelectObject(buf, old);
    if (buf != dc) BitBlt(dc, 0, 0, client.right, client.bottom, buf, 0, 0, SRCCOPY);
    EndPaint(w, &ps);
}

// Asks the host where the popup goes; without an answer it goes under the module.
static RECT Place(Module* m, SIZE size) {
    RECT r = {0, 0, size.cx, size.cy};
    RECT client;
    GetClientRect(m->window, &client);
    POINT at = {0, client.bottom};
    if (!m->record || !g_host.callback ||
        g_host.callback(HC_PLACE_POPUP, m->record, reinterpret_cast<UINT_PTR>(&r), reinterpret_cast<UINT_PTR>(&at)) !=
            HC_OK) {
        POINT p = {0, client.bottom + 4};
        ClientToScreen(m->window, &p);
        r.left = p.x, r.top = p.y, r.right = p.x + size.cx, r.bottom = p.y + size.cy;
    }
    return r;
}

static void ReleaseBuffer(Module* m) {
    if (m->popupDC) {
        SelectObject(m->popupDC, m->popupOldBitmap);
        DeleteDC(m->popupDC);
    }
    if (m->popupBitmap) DeleteObject(m->popupBitmap);
    m->popupDC = nullptr;
    m->popupBitmap = m->popupOldBitmap = nullptr;
}

static LRESULT CALLBACK PopupProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    Module* m = PopupModule(w);
    switch (msg) {
    case WM_NCCREATE:
        SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
        break;
    case WM_PAINT:
        if (m) {
            PopupPaint(w, m);
            return 0;
        }
        break;
    case WM_ERASEBKGND: return 1;
    case WM_GETTEXT:
        if (m && wp) {
            StrCopy(reinterpret_cast<WCHAR*>(lp), m->popupText, static_cast<int>(wp));
            return StrLength(reinterpret_cast<WCHAR*>(lp));
        }
        return 0;
    case WM_GETTEXTLENGTH: return m ? StrLength(m->popupText) : 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE && m) {
            // A click on the module itself takes the activation first; that
            // click must close the popup, not open it again.
            POINT cursor;
            if (GetCursorPos(&cursor) && m->window && WindowFromPoint(cursor) == m->window &&
                (GetAsyncKeyState(GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON) & 0x8000))
                m->popupClosedTick = GetTickCount() | 1;
            PostMessageW(w, WM_CLOSE, 0, 0);
        }
        return 0;
    case WM_MOUSEACTIVATE: return MA_ACTIVATE;
    case WM_LBUTTONDOWN: DestroyWindow(w); return 0;
    case WM_DESTROY:
        if (m) {
            if (m->popup == w) m->popup = nullptr;
            ReleaseBuffer(m);
        }
        return 0;
    }
    return DefWindowProcW(w, msg, wp, lp);
}

bool PopupRegisterClass() {
    WNDCLASSEXW wc;
    memset(&wc, 0, sizeof(wc));
    wc.cbSize = sizeof(wc);
    wc.style = CS_DROPSHADOW;
    wc.lpfnWndProc = PopupProc;
    wc.hInstance = g_host.instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kPopupClass;
    return RegisterClassExW(&wc) != 0;
}

void PopupUnregisterClass() { UnregisterClassW(kPopupClass, g_host.instance); }

static void PopupOpen(Module* m) {
    if (!m->window || !m->memDC) return;
    KindOps(m->kind)->popupText(m, m->popupText, kPopupChars);
    SIZE size = PopupSize(Measure(m->memDC, m));
    RECT r = Place(m, size);
    HWND owner = GetAncestor(m->window, GA_ROOT);
    m->popup = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kPopupClass, KindOps(m->kind)->title, WS_POPUP | WS_BORDER,
                               r.left, r.top, size.cx, size.cy, owner, nullptr, g_host.instance, m);
    if (!m->popup) return;
    HDC screen = GetDC(m->popup);
    m->popupDC = CreateCompatibleDC(screen);
    m->popupBitmap = CreateCompatibleBitmap(screen, kPopupMaxWidth, kPopupMaxHeight);
    ReleaseDC(m->popup, screen);
    m->popupOldBitmap = static_cast<HBITMAP>(SelectObject(m->popupDC, m->popupBitmap));
    ShowWindow(m->popup, SW_SHOW);
    SetForegroundWindow(m->popup);
    UpdateWindow(m->popup);
}

void PopupToggle(Module* m) {
    if (m->popup) {
        PopupClose(m);
        m->popupClosedTick = 0;  // this click closed it, whatever its deactivation noted
        return;
    }
    DWORD closed = m->popupClosedTick;
    m->popupClosedTick = 0;
    if (closed && GetTickCount() - closed < 500) return;
    PopupOpen(m);
}

void PopupRefresh(Module* m) {
    if (!m->popup) return;
    KindOps(m->kind)->popupText(m, m->popupText, kPopupChars);
    SIZE size = PopupSize(Measure(m->memDC ? m->memDC : m->popupDC, m));
    RECT now;
    GetWindowRect(m->popup, &now);
    if (now.right - now.left != size.cx || now.bottom - now.top != size.cy) {
        RECT r = Place(m, size);
        SetWindowPos(m->popup, nullptr, r.left, r.top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(m->popup, nullptr, FALSE);
}

void PopupClose(Module* m) {
    if (m->popup) DestroyWindow(m->popup);
    m->popup = nullptr;
}
