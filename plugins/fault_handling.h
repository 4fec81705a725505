#pragma once
// What the PluginThread does when a module faults while one of its window
// messages is dispatched: the module is deactivated and stays so in the
// profile, the bar closes the gap, and the user is told which module failed.
#include <windows.h>

// Dispatches one window message of the PluginThread inside the fault guard
// and, when the code it reaches faults, handles the fault. PluginThread only.
void FaultGuardedDispatch(MSG* message);

// Handles a fault raised while a message for window was dispatched: window
// may be the module window itself or any window a module made (a child
// control, a popup it owns); the module is found up the parent chain. With no
// module found the report names none and nothing is deactivated. Shows the
// report modally and returns when the user has closed it. PluginThread only.
void FaultHandle(HWND window, DWORD code);

// The module window that window belongs to (itself, a parent or an owner up
// the chain), or null.
HWND FaultModuleWindowOf(HWND window);

// A module's fault caught in the middle of the PluginThread's work (while its
// window is being made or destroyed, in a settings call): the module's names
// are taken now and the handling above runs from the thread's loop
// (PT_MODULE_FAULTED, whose parameter FaultHandleQueued takes and frees).
// PluginThread only.
struct ModuleRecord;
void FaultQueueModule(ModuleRecord* record, DWORD code);
void FaultHandleQueued(void* fault);

// Shows a report on a thread of its own, so that no plug-in thread and no
// exit waits for the user; takes the heap text.
void FaultShowDetached(WCHAR* text, const WCHAR* header);
// Whether any is on screen, and waiting until the user has closed them all
// (the end of the program, so that a report raised on the way out is read).
bool FaultReportsOpen();
void FaultReportsWait();
// The PluginThread was replaced: the reports it showed went with it.
void FaultReportsReset();
