#pragma once
// FANCYIMAGE: shows a bitmap, optionally with one colour transparent, and can
// report clicks and the pointer entering and leaving. Plain C, repeated token
// for token in the plug-in SDK header.
#include <windows.h>

#include "controls/fancy_button.h"  // FBM_SETIMAGE, FBM_GETIMAGE

#define FANCYIMAGE_CLASS_NAME L"FANCYIMAGE"

#define FIS_LEFT 0x0001         // image at the left edge
#define FIS_RIGHT 0x0002        // at the right edge; neither: centred
#define FIS_TOP 0x0010          // image at the top
#define FIS_BOTTOM 0x0020       // at the bottom; neither: centred
#define FIS_NOTIFY 0x0100       // send the FIN_ codes below
#define FIS_TRANSPARENT 0x0200  // the transparent colour is left out

// FBM_SETIMAGE: wParam the HBITMAP (stays the caller's, never changed),
// lParam the transparent colour. FBM_GETIMAGE returns the bitmap.

// Notification codes (FIS_NOTIFY only), sent to the parent as WM_COMMAND
// with MAKEWPARAM(id, code) and the control as lParam.
#define FIN_CLICKED 0  // released inside after a press inside
#define FIN_DBLCLK 1
#define FIN_ENTER 2  // the pointer came in
#define FIN_LEAVE 3  // the pointer left, a press ended outside, or the capture was taken
