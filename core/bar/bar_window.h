#pragma once
// The bar: the program's main window, docked as a desktop toolbar at the top
// or bottom edge of one monitor. Main thread only, except where noted.
#include <windows.h>

enum : UINT {
    BARM_APPBAR = WM_APP + 1,       // the shell's desktop-toolbar callback
    BARM_SHOWWELCOME = WM_APP + 2,  // wParam 1: no module window is left; 0: one exists
};

const int BAR_HEIGHT = 28;
const int BAR_COLLAPSED_HEIGHT = 4;

// The bar's own state, read by the bar's files and (position only) by the
// plug-in threads through the host table while they lay out and place popups.
enum : UINT { BAR_TOP = 0, BAR_BOTTOM = 1 };

struct BarState {
    HWND window;
    UINT position;      // BAR_TOP or BAR_BOTTOM
    UINT monitorIndex;  // into the monitor list (monitors.h)
    DWORD autohide;
    DWORD autohideClick;
    UINT opacity;  // percent now applied
    UINT taskbarCreated;  // RegisterWindowMessageW("TaskbarCreated")
    LONG collapsed;  // autohide has shrunk the bar to its 4-pixel band
};
extern BarState Bar;

// bar_window.cpp: the class "Tovara2 Main Window" and the window itself.
bool BarRegisterClass();
void BarUnregisterClass();
// Creates the bar; false when creation (docking included) failed.
bool BarCreateWindow();
// The bar window, or null before creation and after destruction.
HWND BarGetWindow();

// bar_settings.cpp: the five bar settings and their listener.
void BarLoadSettings(const WCHAR* key);  // null: all five bar settings
void BarSaveSettings();
void BarOnSettingsEvent(UINT code, const WCHAR* key);

// bar_opacity.cpp
void BarSetOpacity(UINT percent);
UINT BarGetOpacity();

// bar_placement.cpp: docking and the rectangles derived from it.
void BarReposition();
// The client rectangle less the 2-pixel raised edge facing the desktop.
// Safe from any thread: it reads only the bar's client rectangle and edge.
void BarGetModuleArea(RECT* area);
void BarGetMonitorRect(RECT* rect);
BOOL BarCenterWindow(HWND window, int width, int height, DWORD style, DWORD exStyle);
// Moves a popup rectangle (screen coordinates) next to the bar, inside its
// monitor horizontally. Safe from any thread.
void BarFitPopupRect(RECT* rect);
