// TEMPORARY seam until the plug-in threads exist: starting only makes sure
// Plugins\ exists beside the executable (start-up made that folder current).
#include "plugins/plugin_system.h"

bool PluginSystemStart(HWND bar) {
    CreateDirectoryW(L"Plugins", nullptr);
    return true;
}

void PluginSystemStop() {}

void ModulesDrawFrames(HWND bar, HDC dc) {}
