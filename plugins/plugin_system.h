#pragma once
// Start and stop of the plug-in system, called by the bar window as it is
// created and destroyed.
#include <windows.h>

#include "plugins/plugin_host.h"
#include "plugins/tovara2_sdk.h"

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

// Walks the listed packages, then the listed modules (module given, with its
// package), each under its list's lock, so that nothing is read while its
// owner frees it. The visitor copies what it needs and keeps the records
// only as identities: before handing one to anything it checks it with
// PackageIsListed or ModuleIsListed. It must not call into the plug-in
// system. Any thread.
typedef void (*PluginVisitor)(void* context, const PackageRecord* package, const ModuleRecord* module);
void PluginsVisit(PluginVisitor visit, void* context);
