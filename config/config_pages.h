#pragma once
// The pages of the configuration window: each page is one file with its
// create, destroy, load and save operations, entered in the window's page
// table (config_window.cpp). Pages run on the window's thread only.
#include <windows.h>

#include "config/config_window.h"

struct ConfigPage {
    UINT title;                 // string id of the tab
    void (*create)(HWND page);  // builds the page's controls in its window
    void (*destroy)();
    void (*load)();             // shows the current profile's state
    void (*save)();             // finishes what the page holds for the profile
    HWND window;                // filled in when the page is made
};

// The bar's table, for the pages and the window's dialogs; valid while the
// window is open.
const ConfigHost* ConfigGetHost();

// The procedure every page window starts with (pages subclass it for their
// own controls and hand the rest back): no background of its own, so the tab
// control shows through, and transparent statics.
INT_PTR CALLBACK ConfigPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp);

// Fills a drop-down list with the profiles, sorted, the default one marked
// "Name (Default)", each item's data its profile index; selects the current
// profile.
void ConfigFillProfileList(HWND list);

// Sizes a dialog of the window to a client area of width x height centred
// on the bar's monitor.
void ConfigCentreDialog(HWND dialog, int width, int height);

// page_general.cpp
void GeneralPageCreate(HWND page);
void GeneralPageDestroy();
void GeneralPageLoad();
void GeneralPageSave();

// page_plugins.cpp
void PluginsPageCreate(HWND page);
void PluginsPageDestroy();
void PluginsPageLoad();
void PluginsPageSave();
// The plug-in system's lists changed: refill (the window's thread).
void PluginsPageRefill();
