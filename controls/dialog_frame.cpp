#include "controls/dialog_frame.h"

#include "core/runtime/app_state.h"
#include "core/runtime/memory.h"

DialogInstance::DialogInstance(const WCHAR* mutexName, const WCHAR* title) : mutex_(mutexName) {
    if (mutex_.busy()) DialogBringForward(title);
}

bool DialogBringForward(const WCHAR* title) {
    HWND open = title ? FindWindowW(nullptr, title) : nullptr;
    if (!open) return false;
    // A window brought forward must be seen: one still waiting for its modal
    // loop to show it, or minimised, comes up as it will stay.
    if (IsIconic(open))
        ShowWindow(open, SW_RESTORE);
    else if (!IsWindowVisible(open))
        ShowWindow(open, SW_SHOW);
    SetForegroundWindow(open);
    return true;
}

INT_PTR DialogFrameRun(const DialogFrame& frame, HWND owner, DLGPROC proc, LPARAM param, INT_PTR busy) {
    DialogInstance instance(frame.mutexName, frame.title);
    if (instance.busy()) return busy;
    DLGTEMPLATE* dialogTemplate = DialogTemplateBuild(frame.style, frame.exStyle, frame.title);
    if (!dialogTemplate) return -1;
    INT_PTR result = DialogBoxIndirectParamW(AppInstance, dialogTemplate, owner, proc, param);
    MemFree(dialogTemplate);
    return result;
}

BOOL DialogFrameCentre(HWND dialog, int width, int height, const RECT& area, const RECT* fence) {
    RECT r;
    r.left = area.left + (area.right - area.left - width) / 2;
    r.top = area.top + (area.bottom - area.top - height) / 2;
    r.right = r.left + width;
    r.bottom = r.top + height;
    // The window's own styles, not the template's: the dialog manager adds
    // WS_EX_DLGMODALFRAME for DS_MODALFRAME, and the client area must come
    // out at exactly the size asked for.
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongW(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(dialog, GWL_EXSTYLE)));
    if (fence && r.top < fence->top) OffsetRect(&r, 0, fence->top - r.top);
    return SetWindowPos(dialog, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER);
}

bool DialogFrameAnimates(bool* fade) {
    // AnimateWindow came with Windows 98 and 2000 (4.10 and 5.0).
    bool available = OsVersion.dwMajorVersion >= 5 ||
                     (OsVersion.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && OsVersion.dwMajorVersion == 4 &&
                      OsVersion.dwMinorVersion != 0);
    BOOL on = FALSE, blend = FALSE;
    if (!available || !SystemParametersInfoW(SPI_GETMENUANIMATION, 0, &on, 0) || !on) return false;
    SystemParametersInfoW(SPI_GETMENUFADE, 0, &blend, 0);
    *fade = blend != FALSE;
    return true;
}

void DialogFrameAnimateOpen(HWND dialog) {
    bool fade = false;
    if (!DialogFrameAnimates(&fade)) return;
    AnimateWindow(dialog, 200, fade ? AW_BLEND | AW_ACTIVATE : AW_SLIDE | AW_ACTIVATE | AW_CENTER);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void DialogFrameClose(HWND dialog, INT_PTR result) {
    bool fade = false;
    // Wine's AnimateWindow only hides; on Windows the window shrinks or fades.
    if (DialogFrameAnimates(&fade) && IsWindowVisible(dialog))
        AnimateWindow(dialog, 100, fade ? AW_BLEND | AW_HIDE : AW_SLIDE | AW_HIDE | AW_CENTER);
    EndDialog(dialog, result);
}
