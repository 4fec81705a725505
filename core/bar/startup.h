#pragma once
#include <windows.h>

// Start-up, the message loop and shutdown of the main thread. Always returns
// the process exit code, 0, also after a start-up failure was reported.
int StartupRun();

// Makes the executable's folder current, so that Plugins\ and the plug-in
// libraries are found beside it whatever folder the program was started in.
void StartupSetCurrentFolder();
