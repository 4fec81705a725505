#pragma once
// What the plug-in system needs from the window that hosts the modules. The
// bar fills this table and hands it to PluginSystemStart; the plug-in system
// never calls the bar by name (it lives on a lower floor), and tests hand in
// a table of their own.
#include <windows.h>

struct PluginHost {
    // Parent of the module windows; receives nothing else from here.
    HWND window;
    // The rectangle (client coordinates of window) the modules are laid out
    // in. Called on the PluginThread.
    void (*getModuleArea)(RECT* area);
    // Moves a popup rectangle (screen coordinates) next to the host window,
    // inside its monitor. Called on any thread.
    void (*fitPopupRect)(RECT* rect);
    // Module windows exist (false) or none is left (true). Called on the
    // plug-in threads: the host must not wait on them from here (post).
    void (*showWelcome)(bool noModulesLeft);
    // The package or module list changed (a package was listed or removed,
    // a module registered or unregistered). Called on the FolderWatcher and
    // the PluginThread; post, never send. May be null.
    void (*packagesChanged)();
};
