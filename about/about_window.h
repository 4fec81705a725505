#pragma once
#include <windows.h>

// Opens the About window (modal), or brings the open one to the front.
void AboutWindowOpen(HWND bar);
