// Ends every running Tovara2 in order, as a user's Exit would: WM_CLOSE to
// each "Tovara2 Main Window". Used by the run command under Xvfb.
#include <windows.h>

static BOOL CALLBACK CloseBar(HWND w, LPARAM count) {
    wchar_t cls[64];
    if (GetClassNameW(w, cls, 64) && lstrcmpW(cls, L"Tovara2 Main Window") == 0) {
        PostMessageW(w, WM_CLOSE, 0, 0);
        ++*reinterpret_cast<int*>(count);
    }
    return TRUE;
}

int wmain() {
    int count = 0;
    EnumWindows(CloseBar, reinterpret_cast<LPARAM>(&count));
    return count ? 0 : 1;
}
