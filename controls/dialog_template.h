#pragma once
// In-memory dialog templates for the host's dialogs: no controls (each dialog
// creates its own at WM_INITDIALOG), no menu, the default dialog class, no
// font entry, position and size 0 (the dialog sizes and centres itself).
// Also the helpers that make those controls and give them their fonts.
#include <windows.h>

// A heap block (MemFree) holding the template; null when out of memory.
DLGTEMPLATE* DialogTemplateBuild(DWORD style, DWORD exStyle, const WCHAR* caption);

// The template's size in bytes for a caption of this many characters.
inline SIZE_T DialogTemplateSize(int captionLength) { return 24 + 2 * static_cast<SIZE_T>(captionLength); }

// One control of a dialog, as the dialog's table lists it. WS_CHILD and
// WS_VISIBLE are always added; the extended style is taken as given (the
// header's statics use WS_EX_NOPARENTNOTIFY, an edit WS_EX_CLIENTEDGE).
struct DialogChild {
    int id;
    const WCHAR* className;
    DWORD exStyle;
    DWORD style;
    const WCHAR* text;  // null: empty
};

// Made at 0, 0 with size 0; the dialog's layout places it.
HWND DialogCreateChild(HWND dialog, const DialogChild& child);
void DialogCreateChildren(HWND dialog, const DialogChild* children, int count);

// WM_SETFONT with normal to every child, then with bold (when given) to the
// child boldId.
void DialogSetFonts(HWND dialog, HFONT normal, HFONT bold, int boldId);
