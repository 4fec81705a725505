#pragma once
// The PluginThread (module windows and requests) and the FolderWatcher
// (Plugins\ and package requests).
#include <windows.h>

#include "plugins/mailbox.h"

// Each takes the ThreadMailbox it serves and installs it as the plug-in
// system's when it is ready, so a thread that replaces a hung one (watchdog.h)
// takes over its work at that moment.
DWORD WINAPI PluginThreadMain(void* mailbox);
DWORD WINAPI FolderWatcherMain(void* mailbox);
// Starts one of them on its mailbox and waits, at most 3000 ms, for it to be
// ready; null when it could not start.
struct ThreadWatch;
HANDLE PluginThreadsStart(LPTHREAD_START_ROUTINE main, ThreadMailbox* mailbox, HANDLE ready, ThreadWatch* watch);
// Dispatches one window message of a module window on the PluginThread.
void PluginThreadDispatch(MSG* message);
