#pragma once
// TV2SCROLLTEXT: one line of text that scrolls sideways while it is wider
// than the control, in an endless loop or back and forth. Plain C, repeated
// token for token in the plug-in SDK header.
#include <windows.h>

#define TV2SCROLLTEXT_CLASS_NAME L"TV2SCROLLTEXT"

#define STS_BOUNCE 0x0001   // back and forth instead of an endless loop
#define STS_RIGHT 0x0004    // a text that fits is right-aligned
#define STS_CENTER 0x0008   // a text that fits is centred (wins over STS_RIGHT)
#define STS_TOP 0x0010      // text at the top
#define STS_BOTTOM 0x0020   // text at the bottom
#define STS_VCENTER 0x0040  // centred vertically, whatever STS_TOP and STS_BOTTOM say
#define STS_SMOOTH 0x0100   // 2-pixel steps every 100 ms instead of 6 every 300 ms

// Fonts given with WM_SETFONT belong to the control, as with FANCYBUTTON.
