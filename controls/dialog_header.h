#pragma once
// The white header band the host's dialogs share: an icon at the left, a
// bold heading, a markup subheading (UBBControl) and an etched line under it.
// Each dialog creates the header's controls at WM_INITDIALOG, lays them out
// for its width, and forwards two messages here.
#include <windows.h>

enum : int {
    DLGHDR_BACK = 201,        // the white background
    DLGHDR_HEADING = 202,     // bold plain text
    DLGHDR_SUBHEADING = 203,  // UBBControl
    DLGHDR_ICON = 204,        // SS_ICON
    DLGHDR_LINE = 205,        // the etched line under the band
};

// Creates the five controls (background, line, heading, subheading, icon, in
// that order); the icon stays owned by the caller.
void DialogHeaderCreate(HWND dialog, const WCHAR* heading, const WCHAR* subheading, HICON icon);

// Places the controls for a dialog of this client width; bold is the
// heading's font. Returns the band's height (the line sits right below).
int DialogHeaderLayout(HWND dialog, int width, HFONT bold);

// WM_CTLCOLORSTATIC: the window colours for the controls of the band, or
// null for any other control (the caller then lets the default decide).
HBRUSH DialogHeaderCtlColor(HDC dc, HWND control);

// WM_DRAWITEM of an owner-drawn static that is an etched line (the header's
// and any the dialog adds): a sunken two-pixel line.
void DialogDrawEtchedLine(const DRAWITEMSTRUCT* item);

// Makes a child control with the styles the host's dialogs use.
HWND DialogCreateChild(HWND dialog, const WCHAR* className, const WCHAR* text, DWORD style, int id);
