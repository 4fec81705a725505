#pragma once
// The configuration window: at most one per process, with a modal loop of its
// own nested in the main loop. The bar opens it (menu, double-click, welcome
// link, exit rule). The window lives on a lower floor than the bar, so what
// it needs of the bar comes as a table of functions.
#include <windows.h>

// What the configuration window and its dialogs need from the bar; called on
// the window's thread.
struct ConfigHost {
    // The whole rectangle of the bar's monitor: dialogs are centred on it.
    void (*getMonitorRect)(RECT* rect);
    UINT (*getOpacity)();
    void (*setOpacity)(UINT percent);
    // How many monitors the bar can stand on, and which one is primary.
    UINT (*monitorCount)();
    UINT (*primaryMonitor)();
};

enum : int { CONFIG_PAGE_NONE = -1, CONFIG_PAGE_GENERAL = 0, CONFIG_PAGE_PLUGINS = 1 };

// Messages of the window.
enum : UINT {
    CFGM_SHOWPAGE = WM_APP + 1,  // wParam: page index, clamped to the last page
    CFGM_SETTINGS = WM_APP + 2,  // posted by the listener from other threads; wParam: the notification
    CFGM_PACKAGES = WM_APP + 3,  // posted: the plug-in system's packages or modules changed
};

// Control ids of the window (the header band's are the dialog header's).
enum : int {
    IDC_CFG_TABS = 100,
    IDC_CFG_PROFILE_LABEL = 110,
    IDC_CFG_PROFILES = 111,
    IDC_CFG_PROFILE_MENU = 112,
    IDM_CFG_NEW_PROFILE = 113,
    IDM_CFG_SET_DEFAULT = 114,
    IDM_CFG_DELETE_PROFILE = 115,
    IDM_CFG_RENAME_PROFILE = 116,
};

// Opens the window on page (CONFIG_PAGE_NONE: the first) and runs it until
// it closes, then writes Settings.xml; 0. When a configuration window is open
// already, brings it forward, switches it to page unless that is
// CONFIG_PAGE_NONE, and returns -1 at once.
int ConfigWindowOpen(const ConfigHost* host, int page);
// True while a configuration window exists (its named mutex does). Never
// creates the mutex.
bool ConfigWindowIsOpen();
// The plug-in system's packagesChanged: the Plugins page refills on the
// window's own thread. Any thread; posts, never waits.
void ConfigWindowPackagesChanged();
