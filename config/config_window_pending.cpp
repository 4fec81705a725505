// TEMPORARY: the configuration window is not built yet; its entry points do
// nothing so that the bar's menu, double-click and welcome link have a target.
#include "config/config_window.h"

void ConfigWindowOpen(HWND bar) {}

bool ConfigWindowIsOpen() {
    HANDLE m = OpenMutexW(SYNCHRONIZE, FALSE, L"Tovara2ConfigWindow");
    if (!m) return false;
    CloseHandle(m);
    return true;
}
