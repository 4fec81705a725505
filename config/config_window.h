#pragma once
#include <windows.h>

// Opens the configuration window (modal, nested in the main loop), or brings
// the open one to the front.
void ConfigWindowOpen(HWND bar);
// True while a configuration window exists in this session (the
// "Tovara2ConfigWindow" mutex is held).
bool ConfigWindowIsOpen();
