#pragma once
// The PluginThread (module windows and requests) and the FolderWatcher
// (Plugins\ and package requests).
#include <windows.h>

DWORD WINAPI PluginThreadMain(void* unused);
DWORD WINAPI FolderWatcherMain(void* unused);
// Dispatches one window message of a module window on the PluginThread.
void PluginThreadDispatch(MSG* message);
