#pragma once
// Start and stop of the plug-in system, called by the bar window as it is
// created and destroyed.
#include <windows.h>

bool PluginSystemStart(HWND bar);
void PluginSystemStop();
