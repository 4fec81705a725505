#pragma once
// The Uninstall Package dialog (uninstall_dialog.cpp): asks, unloads the
// package, deletes its file and, when the file is gone and the user asked
// for it, removes the package's settings from the current profile.
#include <windows.h>

#include "plugins/tovara2_sdk.h"

enum : int { IDC_UNINST_QUESTION = 100, IDC_UNINST_REMOVE = 101 };

enum : INT_PTR {
    UNINSTALL_CANCELLED = 0,  // the Cancel button
    UNINSTALL_DONE = 1,       // the file is gone
    UNINSTALL_CLOSED = 2,     // the close box
    UNINSTALL_FAILED = 3,     // the file could not be deleted: nothing was uninstalled
};

// -1 when the dialog (or the Rename Profile dialog, which shares its
// single-instance rule) is open already.
INT_PTR ShowUninstallDialog(HWND owner, PackageRecord* package);
