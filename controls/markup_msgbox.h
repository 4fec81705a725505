#pragma once
// MarkupMessageBox: a modal message in the host's own design: a white header
// with an icon, a bold heading and a markup subheading, the markup body below
// and an "OK" button. Runs its own modal loop on the calling thread.
#include <windows.h>

enum : WORD {
    MMB_INFO = 1,  // also any value not listed
    MMB_WARNING = 2,
    MMB_ERROR = 3,
    MMB_QUESTION = 4,
};

// Control ids of the box's own parts (the header's are in dialog_header.h).
enum : int { MMB_BODY = 101, MMB_BUTTON_LINE = 102 };

// iconId 0: the type's system icon; otherwise an icon resource of the
// executable, which replaces it (the sound still follows the type).
// Returns IDOK or IDCANCEL (Escape, the close box), 0 when the box could not
// be made.
INT_PTR MarkupMessageBox(HWND owner, const WCHAR* body, const WCHAR* subheading, const WCHAR* heading,
                         WORD type, WORD iconId);
