#pragma once
// What the bar does for the user and the shell. The bar's procedure
// (core/bar/bar_window.cpp) hands each message to one of these; all run on the
// main thread.
#include <windows.h>
#include <shellapi.h>

enum : UINT {
    TIMER_AUTOHIDE = 1,  // 100 ms: has the mouse left the expanded bar?
    TIMER_SHAKE = 100,   // 100 ms
    TIMER_DISCO = 101,   // 50 ms
};
enum : UINT {
    IDM_EXIT = 1001,
    IDM_CONFIGURATION = 1002,
    IDM_HELP = 1003,
    IDM_ABOUT = 1004,
    IDM_PROFILE_FIRST = 2000,
};
enum : int { IDC_WELCOME = 100 };

// Autohide (core/bar/bar_autohide.cpp). The decision is a pure function of the
// flags and the event so that the state table can be checked on its own.
enum BarAutohideEvent : int { AUTOHIDE_HOVER, AUTOHIDE_TICK, AUTOHIDE_ACTIVATE, AUTOHIDE_DEACTIVATE };
struct BarAutohideInput {
    bool autohide, autohideClick, collapsed;
    DWORD msSinceHover;  // for ticks
    bool cursorInside;   // for ticks
};
struct BarAutohideStep {
    bool collapsed;
    bool startTimer, killTimer, reposition;
};
BarAutohideStep BarAutohideDecide(const BarAutohideInput& in, BarAutohideEvent event);
void BarOnHitTest(HWND bar);
void BarOnAutohideTimer(HWND bar);
void BarOnActivate(HWND bar, WORD state);

// Full-screen programs (core/bar/bar_fullscreen.cpp). The decision: SW_HIDE,
// SW_SHOW, or -1 for nothing.
int BarFullScreenDecide(UINT state, UINT opened, const WCHAR* foregroundClass);
void BarOnFullScreen(HWND bar, UINT opened);

// Context menu, commands, double-click and the exit rule (core/bar/bar_menu.cpp).
HMENU BarBuildMenu();  // the caller destroys it
void BarShowMenu(HWND bar);
void BarOnCommand(HWND bar, WPARAM wp, LPARAM lp);
void BarExitRule(HWND bar);
void BarOnDoubleClick(HWND bar);

// Welcome text (core/bar/bar_welcome.cpp).
void BarShowWelcome(HWND bar, WPARAM show);
void BarPlaceWelcome(HWND bar);

// Dropped files (core/bar/bar_drop.cpp).
bool BarIsPackageFile(const WCHAR* path);
void BarInstallDroppedFiles(HDROP drop);  // does not call DragFinish

// Typed words, shake and disco (core/bar/bar_words.cpp).
// Advances a word's progress by one typed (lowercased) character; true when
// the character completed the word.
bool BarWordAdvance(const WCHAR* word, UINT length, UINT* progress, WCHAR c);
void BarOnChar(HWND bar, WCHAR c);
void BarOnShakeTimer(HWND bar);
void BarOnDiscoTimer(HWND bar);
// What the bar's settings should record while a shake or pulse is running:
// the edge and opacity the bar returns to, not a passing one.
UINT BarRestingPosition();
UINT BarRestingOpacity();
// Stops a running shake or pulse and puts the bar back.
void BarStopEffects(HWND bar);
