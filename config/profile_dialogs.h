#pragma once
// The New Profile and Rename Profile dialogs (profile_dialogs.cpp): small
// modal dialogs, one of each kind at a time, that change the profiles only
// through the settings store.
#include <windows.h>

enum : int {
    IDC_PROF_NAME = 100,
    IDC_PROF_NAME_LABEL = 101,
    IDC_PROF_BLANK = 102,
    IDC_PROF_COPY = 103,
    IDC_PROF_SOURCE = 104,
};

// IDOK when a profile was made (or renamed), IDCANCEL when the dialog was
// cancelled or closed, -1 when a dialog of the kind is open already (it is
// brought forward) or none could be made.
INT_PTR ShowNewProfileDialog(HWND parent);
INT_PTR ShowRenameProfileDialog(HWND parent, UINT profile);
