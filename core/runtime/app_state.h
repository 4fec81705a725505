#pragma once
// Process-wide state that start-up sets and the rest of the program reads.
#include <windows.h>

typedef BOOL(WINAPI* SetLayeredWindowAttributesFn)(HWND, COLORREF, BYTE, DWORD);

extern HINSTANCE AppInstance;
extern OSVERSIONINFOW OsVersion;
extern SetLayeredWindowAttributesFn AppSetLayeredWindowAttributes;  // null when missing

// The layered-window entry exists and the system is NT 5 or later.
bool LayeredWindowsAvailable();
