#pragma once
// TV2SLIDER: a horizontal value picker over an unsigned 32-bit range, drawn
// as a track with a thumb or as a filled bar. Plain C, repeated token for
// token in the plug-in SDK header.
#include <windows.h>

#define TV2SLIDER_CLASS_NAME L"TV2SLIDER"

#define SLS_READONLY 0x0001  // shows a value; ignores mouse, keyboard and focus
#define SLS_THUMB 0x0002     // a track with a thumb instead of a filled bar

// Setters: wParam the value, lParam nonzero to post SLN_CHANGED when the
// position moves. A value that would break minimum <= position <= maximum
// is ignored. All return 0; the getters return the value.
#define SLM_SETMIN (WM_USER + 10)
#define SLM_GETMIN (WM_USER + 11)
#define SLM_SETMAX (WM_USER + 12)
#define SLM_GETMAX (WM_USER + 13)
#define SLM_SETPOS (WM_USER + 14)
#define SLM_GETPOS (WM_USER + 15)

// Notification codes, posted to the parent as WM_COMMAND with
// MAKEWPARAM(id, code) and the slider as lParam.
#define SLN_CHANGED 0   // the position moved (press, drag, or a setter asked to notify)
#define SLN_FINISHED 1  // the button was released after a drag, or a key was pressed
