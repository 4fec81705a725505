// The process entry point: no C runtime start-up runs before it.
#include "core/startup.h"

extern "C" void __cdecl WinEntry() { ExitProcess(StartupRun()); }
