#pragma once
// FANCYBUTTON: a push button drawn by the host, showing a text, a bitmap
// (optionally with a transparent colour) or a 16 x 16 icon, lit while the
// pointer is over it. Plug-ins create it by class name, so everything here
// stays plain C and is repeated, token for token, in the plug-in SDK header.
#include <windows.h>

#define FANCYBUTTON_CLASS_NAME L"FANCYBUTTON"

// Window styles (low word, fixed at creation).
#define FBS_LEFT 0x0002         // content at the left edge
#define FBS_RIGHT 0x0004        // at the right edge; neither: centred
#define FBS_TOP 0x0010          // content at the top
#define FBS_BOTTOM 0x0020       // at the bottom; neither: centred
#define FBS_FLAT 0x0080         // edges only while hot, focused or pressed
#define FBS_NOTIFY 0x0100       // also FBN_DBLCLK, FBN_SETFOCUS, FBN_KILLFOCUS
#define FBS_MULTILINE 0x0200    // the text may wrap
#define FBS_TRANSPARENT 0x0400  // a bitmap's transparent colour is left out

// wParam: IMAGE_BITMAP or IMAGE_ICON; lParam: the handle, which stays the
// caller's (keep it alive while shown, free it afterwards).
#define FBM_SETIMAGE (WM_APP + 240)
// wParam: the type asked for. Returns the handle, or 0 for another type.
#define FBM_GETIMAGE (WM_APP + 241)
// wParam: COLORREF left out of a bitmap with FBS_TRANSPARENT (white at first).
#define FBM_SETTRANSCOLOR (WM_APP + 242)
#define FBM_GETTRANSCOLOR (WM_APP + 243)

// Notification codes: WM_COMMAND sent to the parent with
// MAKEWPARAM(id, code) and the button as lParam.
#define FBN_CLICKED 0    // mouse released over it, or Space/Return released
#define FBN_DBLCLK 3     // FBS_NOTIFY only
#define FBN_SETFOCUS 4   // FBS_NOTIFY only
#define FBN_KILLFOCUS 5  // FBS_NOTIFY only; also a press released outside

// Fonts given with WM_SETFONT belong to the button: the next WM_SETFONT
// deletes the previous one (never the host's own cached fonts), and the last
// one stays the caller's to delete.
