// TEMPORARY: see frame_pending.h.
#include "config/frame_pending.h"

#include "core/runtime/app_state.h"
#include "core/runtime/memory.h"
#include "core/runtime/skin.h"

bool DialogBringForward(const WCHAR* title) {
    HWND open = title ? FindWindowW(nullptr, title) : nullptr;
    if (!open) return false;
    if (!IsWindowVisible(open)) ShowWindow(open, SW_SHOW);
    SetForegroundWindow(open);
    return true;
}

INT_PTR DialogFrameRun(const DialogFrame& frame, HWND owner, DLGPROC proc, LPARAM param, INT_PTR busy) {
    HANDLE mutex = nullptr;
    if (frame.mutexName) {
        mutex = CreateMutexW(nullptr, TRUE, frame.mutexName);
        if (!mutex) return -1;
        if (GetLastError() == ERROR_ALREADY_EXISTS) {
            CloseHandle(mutex);
            DialogBringForward(frame.title);
            return busy;
        }
    }
    INT_PTR result = -1;
    if (DLGTEMPLATE* t = DialogTemplateBuild(frame.style, frame.exStyle, frame.title)) {
        result = DialogBoxIndirectParamW(AppInstance, t, owner, proc, param);
        MemFree(t);
    }
    if (mutex) {
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    }
    return result;
}

BOOL DialogFrameCentre(HWND dialog, int width, int height, const RECT& area, const RECT*) {
    RECT r;
    r.left = area.left + (area.right - area.left - width) / 2;
    r.top = area.top + (area.bottom - area.top - height) / 2;
    r.right = r.left + width;
    r.bottom = r.top + height;
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongW(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(dialog, GWL_EXSTYLE)));
    return SetWindowPos(dialog, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER);
}

namespace {
bool Animates(bool* fade) {
    BOOL on = FALSE, blend = FALSE;
    if (OsVersion.dwMajorVersion < 5 || !SystemParametersInfoW(SPI_GETMENUANIMATION, 0, &on, 0) || !on) return false;
    SystemParametersInfoW(SPI_GETMENUFADE, 0, &blend, 0);
    *fade = blend != FALSE;
    return true;
}
}  // namespace

void DialogFrameAnimateOpen(HWND dialog) {
    bool fade = false;
    if (!Animates(&fade)) return;
    AnimateWindow(dialog, 200, fade ? AW_BLEND | AW_ACTIVATE : AW_SLIDE | AW_ACTIVATE | AW_CENTER);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void DialogFrameClose(HWND dialog, INT_PTR result) {
    bool fade = false;
    if (Animates(&fade) && IsWindowVisible(dialog))
        AnimateWindow(dialog, 100, fade ? AW_BLEND | AW_HIDE : AW_SLIDE | AW_HIDE | AW_CENTER);
    EndDialog(dialog, result);
}

void DialogHeaderCreate(HWND dialog, const DialogHeader& h) {
    const DWORD quiet = WS_EX_NOPARENTNOTIFY;
    const DialogChild back = {DLGHDR_BACK, L"STATIC", quiet, h.kind == DLGHDR_PICTURE ? DWORD(SS_BITMAP) : 0, nullptr};
    const DialogChild line = {DialogHeaderLineId(h.kind), L"STATIC", quiet, SS_OWNERDRAW, nullptr};
    const DialogChild icon = {DLGHDR_ICON, L"STATIC", quiet, SS_ICON, nullptr};
    const DialogChild heading = {DLGHDR_HEADING, L"STATIC", quiet, SS_NOPREFIX | SS_LEFTNOWORDWRAP, h.heading};
    const DialogChild sub = {DLGHDR_SUBHEADING, L"STATIC", quiet, SS_NOPREFIX, h.subheading};
    const DialogChild picture[] = {back, heading, sub, icon, line};
    const DialogChild plain[] = {back, line, heading, sub};
    if (h.kind == DLGHDR_PLAIN)
        DialogCreateChildren(dialog, plain, 4);
    else
        DialogCreateChildren(dialog, picture, 5);
    if (h.picture) SendDlgItemMessageW(dialog, DLGHDR_BACK, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(h.picture));
    if (h.icon) SendDlgItemMessageW(dialog, DLGHDR_ICON, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(h.icon));
}

int DialogHeaderLayout(HWND dialog, DialogHeaderKind kind, const RECT& client, HFONT bold, HFONT normal) {
    SIZE b = {0, 0}, n = {0, 0};
    GetAverageCharSize(bold, &b);
    GetAverageCharSize(normal, &n);
    int ix = GetSystemMetrics(SM_CXICON), iy = GetSystemMetrics(SM_CYICON);
    int x = client.left, y = client.top, width = client.right - client.left, w = width - ix - 12;
    int textX = kind == DLGHDR_PLAIN ? x + 4 : x + ix + 8;
    int h = b.cy + n.cy + 8;
    MoveWindow(GetDlgItem(dialog, DLGHDR_BACK), x, y, width, h, FALSE);
    MoveWindow(GetDlgItem(dialog, DialogHeaderLineId(kind)), x, y + h, width, 2, FALSE);
    MoveWindow(GetDlgItem(dialog, DLGHDR_HEADING), textX, y + 4, w, b.cy, FALSE);
    MoveWindow(GetDlgItem(dialog, DLGHDR_SUBHEADING), textX, y + b.cy + 4, w, n.cy, FALSE);
    if (kind != DLGHDR_PLAIN) MoveWindow(GetDlgItem(dialog, DLGHDR_ICON), x + 4, y + (h - iy) / 2, ix, iy, FALSE);
    return h;
}

HBRUSH DialogHeaderCtlColor(DialogHeaderKind kind, HDC dc, HWND control) {
    int id = GetDlgCtrlID(control);
    bool text = id == DLGHDR_HEADING || id == DLGHDR_SUBHEADING;
    if (kind == DLGHDR_PICTURE && text) {
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    }
    bool band = text || (id == DLGHDR_BACK && kind != DLGHDR_PICTURE) || (id == DLGHDR_ICON && kind != DLGHDR_PLAIN);
    if (!band) return nullptr;
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return GetSysColorBrush(COLOR_WINDOW);
}

HWND DialogCreateChild(HWND dialog, const DialogChild& c) {
    return CreateWindowExW(c.exStyle, c.className, c.text ? c.text : L"", WS_CHILD | WS_VISIBLE | c.style, 0, 0, 0,
                           0, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), AppInstance, nullptr);
}

void DialogCreateChildren(HWND dialog, const DialogChild* children, int count) {
    for (int i = 0; i < count; i++) DialogCreateChild(dialog, children[i]);
}

void DialogSetFonts(HWND dialog, HFONT normal, HFONT bold, int boldId) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(normal), FALSE);
    if (bold) SendDlgItemMessageW(dialog, boldId, WM_SETFONT, reinterpret_cast<WPARAM>(bold), FALSE);
}
