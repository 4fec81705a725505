#pragma once
// The structured-exception guard: runs a piece of code and, when it faults
// (access violation, division by zero, ...), abandons it and says so instead
// of letting the process die. Used by the PluginThread around the dispatch of
// one message, so that a faulty module costs only itself.
//
// No C runtime and no C++ exceptions: the 32-bit build registers an SEH frame
// on the fs:[0] chain by hand; the 64-bit build (whose SEH is table-driven)
// uses one process-wide vectored handler and a per-thread chain of guards.
#include <windows.h>

struct FaultInfo {
    DWORD code;     // the exception code, e.g. 0xC0000094
    void* address;  // where it was raised
};

typedef void (*FaultGuardProc)(void* context);

// Calls proc(context). True when it returned normally. False when it raised a
// fault: *info (if not null) receives the code and address, the frames of
// proc were abandoned without running anything of theirs, and the caller goes
// on from here. Guards nest; each thread has its own. Exceptions that are
// notifications rather than faults (debug output, thread naming, C++ throws)
// pass through untouched, and so does everything on a thread outside a guard.
bool FaultGuardCall(FaultGuardProc proc, void* context, FaultInfo* info);

// True for the codes the guard stops: the codes of the exception table and
// any other code of error severity that is not a language exception.
bool FaultGuardCatches(DWORD code);

