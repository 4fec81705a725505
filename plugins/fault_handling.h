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
