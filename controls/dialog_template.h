#pragma once
// In-memory dialog templates for the host's dialogs: no controls (each dialog
// creates its own at WM_INITDIALOG), no menu, the default dialog class, no
// font entry, position and size 0 (the dialog sizes and centres itself).
#include <windows.h>

// A heap block (MemFree) holding the template; null when out of memory.
DLGTEMPLATE* DialogTemplateBuild(DWORD style, DWORD exStyle, const WCHAR* caption);

// The template's size in bytes for a caption of this many characters.
inline SIZE_T DialogTemplateSize(int captionLength) { return 24 + 2 * static_cast<SIZE_T>(captionLength); }
