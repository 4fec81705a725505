#pragma once
// Start and stop of the plug-in system, called by the bar window as it is
// created and destroyed.
#include <windows.h>

bool PluginSystemStart(HWND bar);
void PluginSystemStop();

// Draws the frames of the visible modules in the current border style; the
// bar's painting calls it on the main thread.
void ModulesDrawFrames(HWND bar, HDC dc);

// Applies / stores the current profile's package, module, order, alignment
// and style settings. The plug-in system's own settings listener calls them
// around profile switches; start and stop call them too.
void PluginProfileLoad();
void PluginProfileSave();
