#pragma once
// The frame every host dialog is built on: an in-memory template, one window
// of its kind at a time, centred on a rectangle the caller chooses, and the
// opening and closing animation. The header band is in dialog_header.h, the
// template and the child table in dialog_template.h; this header brings both.
//
// How a dialog uses it (a window is one file: its state, handlers, procedure):
//
//   INT_PTR ShowThingDialog(HWND owner, const RECT& centreOn) {  // the bar's menu passes its monitor
//       ThingState state = {centreOn};
//       const DialogFrame frame = {title, L"Tovara2ThingWindow", DLGFRAME_STYLE, 0};
//       return DialogFrameRun(frame, owner, ThingProc, (LPARAM)&state, -1);  // -1: one was open
//   }
//   WM_INITDIALOG  keep the state (DWLP_USER);
//                  DialogHeaderCreate(dialog, {DLGHDR_PLAIN, heading, description});
//                  DialogCreateChildren(dialog, children, count);  // ex-styles stand in the table
//                  DialogSetFonts(dialog, SkinGetFont(0), SkinGetFont(SKIN_BOLD), DLGHDR_HEADING);
//                  DialogFrameCentre(dialog, 320, 180, state->centreOn);  // client size; WM_SIZE follows
//                  DialogFrameAnimateOpen(dialog);  // the windows that animate (configuration, About)
//   WM_SIZE        H = DialogHeaderLayout(dialog, DLGHDR_PLAIN, client, bold, normal); the body from H + 2
//   WM_CTLCOLORSTATIC  brush = DialogHeaderCtlColor(kind, dc, control); null: DefWindowProcW
//   WM_DRAWITEM    owner-drawn statics are etched lines: DialogDrawEtchedLine(item)
//   WM_CLOSE       DialogFrameClose(dialog, result) (animated) or EndDialog(dialog, result)
//
// The frame lives below the bar and never asks where the bar is: whoever
// opens a dialog passes the rectangle to centre on (the bar's monitor, from
// BarGetMonitorRect, handed down from the bar's own code).
#include <windows.h>

#include "controls/dialog_header.h"
#include "controls/dialog_template.h"
#include "core/runtime/owners.h"

// WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_NOIDLEMSG | DS_ABSALIGN
const DWORD DLGFRAME_STYLE = 0x80C80181;

struct DialogFrame {
    const WCHAR* title;      // the caption; a second request finds the open window by it
    const WCHAR* mutexName;  // the single-instance mutex, or null for no such rule
    DWORD style;             // DLGFRAME_STYLE for every dialog of the host
    DWORD exStyle;
};

// Holds a dialog kind's single-instance mutex for its lifetime. When another
// window of the kind is open (the mutex exists, in this process or another),
// it holds nothing, brings that window forward and reports busy(); the caller
// then makes no window at all. Released on every path out of the scope.
class DialogInstance {
public:
    DialogInstance(const WCHAR* mutexName, const WCHAR* title);
    bool busy() const { return mutex_.busy(); }

private:
    MutexOwner mutex_;
};

// Finds the top-level window with this caption and brings it to the front,
// restored and shown; false when there is none.
bool DialogBringForward(const WCHAR* title);

// Runs the dialog modally on the calling thread: takes the instance, builds
// the template, DialogBoxIndirectParamW(owner, proc, param), frees the
// template and gives the instance back. Returns the dialog's result, busy
// when a window of the kind was open already, -1 when none could be made.
INT_PTR DialogFrameRun(const DialogFrame& frame, HWND owner, DLGPROC proc, LPARAM param, INT_PTR busy);

// Sizes the dialog to a client area of width x height centred on area,
// grown by the window's own frame, and moves it there (WM_SIZE follows).
// When fence is given the window's top is kept inside it.
BOOL DialogFrameCentre(HWND dialog, int width, int height, const RECT& area, const RECT* fence = nullptr);

// Whether the system animates windows (AnimateWindow exists and menu
// animation is on); fade tells blending from sliding.
bool DialogFrameAnimates(bool* fade);
// Opening: 200 ms, blending or sliding out of the centre, then a full
// repaint. Does nothing when the system does not animate; the modal loop
// shows the window then.
void DialogFrameAnimateOpen(HWND dialog);
// Closing: 100 ms the other way (when the system animates), then
// EndDialog(result); the modal loop destroys the window.
void DialogFrameClose(HWND dialog, INT_PTR result);
