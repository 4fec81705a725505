#pragma once
// Start and stop of the plug-in system, called by the bar window as it is
// created and destroyed.
#include <windows.h>

#include "plugins/plugin_host.h"

// The table is copied; the host window must outlive PluginSystemStop.
bool PluginSystemStart(const PluginHost* host);
void PluginSystemStop();

// Draws the frames of the visible modules in the current border style; the
// bar's painting calls it on the main thread. Defined in layout.cpp.
void ModulesDrawFrames(HWND bar, HDC dc);

// Applies / stores the current profile's package, module, order, alignment
// and style settings. The plug-in system's own settings listener calls them
// around profile switches; start and stop call them too.
void PluginProfileLoad();
void PluginProfileSave();
