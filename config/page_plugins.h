#pragma once
// Control and command ids of the configuration window's Plugins page
// (page_plugins.cpp).
enum : int {
    IDC_PLG_LIST = 101,
    IDC_PLG_FRAME = 102,
    IDC_PLG_INFO = 103,
    IDC_PLG_CHECK = 104,  // Loaded (package) or Active (module)
    IDC_PLG_EARLIER = 105,
    IDC_PLG_LATER = 106,
    IDC_PLG_OPTIONS = 107,
    IDC_PLG_PANEL = 108,  // where the package shows its options
    IDM_PLG_UNINSTALL = 120,
    IDM_PLG_WEBSITE = 121,
};
