#pragma once
// The header band the host's dialogs share: a bold heading and a one-line
// description on a white band (or on a picture), an icon at the left in two
// of the three kinds, and an etched line under the band. Each dialog creates
// the band's controls at WM_INITDIALOG, lays them out at WM_SIZE (or once,
// when it never resizes) and forwards WM_CTLCOLORSTATIC here.
#include <windows.h>

enum DialogHeaderKind : int {
    // The markup message box: white band, icon, markup subheading (a
    // UBBControl, as tall as its text), line 205.
    DLGHDR_MESSAGE,
    // The configuration window: a picture under the texts, icon, one-line
    // description, line 205.
    DLGHDR_PICTURE,
    // The profile and uninstall dialogs: white band, no icon, the texts at
    // the left edge, one-line description, line 204.
    DLGHDR_PLAIN,
};

enum : int {
    DLGHDR_BACK = 201,        // the white background, or the picture (SS_BITMAP)
    DLGHDR_HEADING = 202,     // bold plain text
    DLGHDR_SUBHEADING = 203,  // UBBControl (MESSAGE) or a plain static
    DLGHDR_ICON = 204,        // SS_ICON (MESSAGE, PICTURE)
    DLGHDR_LINE = 205,        // the etched line (MESSAGE, PICTURE)
    DLGHDR_PLAIN_LINE = 204,  // the etched line of the PLAIN band
};

struct DialogHeader {
    DialogHeaderKind kind;
    const WCHAR* heading;
    const WCHAR* subheading;  // markup for MESSAGE, plain text otherwise
    HICON icon;               // MESSAGE, PICTURE; stays the caller's
    HBITMAP picture;          // PICTURE; stays the caller's
};

// Creates the band's controls in the order the kind wants them; the statics
// get WS_EX_NOPARENTNOTIFY.
void DialogHeaderCreate(HWND dialog, const DialogHeader& header);

// The etched line's id for the kind.
inline int DialogHeaderLineId(DialogHeaderKind kind) { return kind == DLGHDR_PLAIN ? DLGHDR_PLAIN_LINE : DLGHDR_LINE; }

// Places the band across the top of client (moves without repaint): bold is
// the heading's font, normal the description's (unused for MESSAGE, whose
// subheading is as tall as its text). Returns the band's height H; the line
// lies at H, 2 pixels high.
int DialogHeaderLayout(HWND dialog, DialogHeaderKind kind, const RECT& client, HFONT bold, HFONT normal);

// WM_CTLCOLORSTATIC for the band's controls: window colours on the white
// band; on the picture the texts are transparent. Null for any other
// control: the caller lets the default decide.
HBRUSH DialogHeaderCtlColor(DialogHeaderKind kind, HDC dc, HWND control);

// WM_DRAWITEM of an owner-drawn static that is an etched line (the band's
// and any the dialog adds): a sunken two-pixel line.
void DialogDrawEtchedLine(const DRAWITEMSTRUCT* item);

// WM_CTLCOLORSTATIC and WM_DRAWITEM for a dialog whose only owner-drawn
// control is its header's line: true when msg is one of them, with the
// dialog procedure's answer in *result.
bool DialogHeaderHandles(DialogHeaderKind kind, UINT msg, WPARAM wp, LPARAM lp, INT_PTR* result);
