// The process entry point: no C runtime start-up runs before it.
#include "core/bar/startup.h"

extern "C" void __cdecl WinEntry() { ExitProcess(StartupRun()); }
