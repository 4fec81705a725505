#pragma once
// UBBControl: a child window that shows a short text in bracket markup
// ([b], [i], [u], [s], [link=...]), wraps it to its width and lets the user
// activate its links. Plug-ins create it by class name, so everything here
// stays plain C.
#include <windows.h>

#define UBB_CLASS_NAME L"UBBControl"

// Window styles (low word of the style at creation).
#define UBBS_RIGHT 0x0001   // every line moved to the right edge
#define UBBS_CENTER 0x0002  // every line centred; wins over UBBS_RIGHT

// wParam: SIZE* filled with the client width and the height the text needs.
// Returns 0, or -1 when wParam is null.
#define UBBM_GETIDEALSIZE (WM_APP + 200)
// wParam: face name; lParam: height as in LOGFONTW.lfHeight. Takes effect at
// the next layout (WM_SIZE or WM_SETTEXT).
#define UBBM_SETFONT (WM_APP + 201)
// wParam: buffer of 32 characters for the face name, or null; lParam: pointer
// to an int for the height, or null.
#define UBBM_GETFONT (WM_APP + 202)
// wParam: COLORREF of link text.
#define UBBM_SETLINKCOLOR (WM_APP + 203)
// Returns the COLORREF of link text.
#define UBBM_GETLINKCOLOR (WM_APP + 204)

// A numeric link [link=N] posts WM_COMMAND to the parent with
// wParam = MAKEWPARAM(control id, N & 0xFFFF) and lParam = the control.
// Any other link target is opened with the shell's "open" verb.
