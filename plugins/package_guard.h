#pragma once
// Every call the host makes into package code goes through here: inside the
// fault guard, and in view of the watchdog (watchdog.h).
//
// A package whose entry point faults, or whose code stops responding, has
// failed: it is never called again in this session, its modules leave the
// bar, its _loaded is written false (so the next start does not meet the same
// end), and the user is told. Its library stays mapped: code of it may still
// run on threads it started. A module whose window procedure faults is
// deactivated and its _activated written false, as before; its package goes
// on.
#include <windows.h>

#include "plugins/fault_guard.h"
#include "plugins/tovara2_sdk.h"

// Calls TV2PackageProc. False when the package cannot be called (not loaded,
// failed) or its code faulted, which has then been handled.
bool PackageCallEntry(PackageRecord* record, UINT message, UINT_PTR arg1, UINT_PTR arg2, UINT_PTR* result);

// Calls a module's window procedure (or its MODULE_MSG_SETTINGS) on the
// PluginThread. On a fault *faulted is set, the module is marked and its
// deactivation and report are queued for the PluginThread's loop, since the
// caller may be in the middle of creating or destroying the window.
LRESULT ModuleCallProc(ModuleRecord* record, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                       bool* faulted);

// Runs proc(context) inside the fault guard, watched as a call into package's
// code (module's, when given; what as in PackageCompleteFailure). For the
// host's own dispatch of messages to windows packages made.
bool PackageGuardedCall(PackageRecord* package, const ModuleRecord* module, UINT what, FaultGuardProc proc,
                        void* context, FaultInfo* info);

// Dispatches a message of the FolderWatcher's queue: windows a package made
// there (in PKG_INIT, say) run its code. The package is told by the address
// of the window's procedure; a fault fails it.
void PackageDispatchGuarded(MSG* message);

bool PackageHasFailed(const PackageRecord* record);
bool ModuleHasFaulted(const ModuleRecord* record);

// Marks a package failed; true only for the first mark. From then on nothing
// calls it.
bool PackageMarkFailed(PackageRecord* record);
// The rest of a failure, after the mark: the package looks unloaded, its
// modules are unregistered, _loaded is written false and the report shown.
// what is the PKG_ message (or, with module, the message sent to that module)
// that faulted (code) or did not return (hung). Not on the PluginThread.
void PackageCompleteFailure(PackageRecord* record, UINT what, const WCHAR* moduleName, DWORD code, bool hung);

// Brackets a call of a package into the host (HostCallback): a thread that
// waits there is waiting for the host, not hung in the package.
void WatchEnterHost();
void WatchLeaveHost();
