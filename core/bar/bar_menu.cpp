// The bar's context menu, its commands, the double-click and the exit rule.
#include "about/about_window.h"
#include "config/config_window.h"
#include "core/bar/bar_behaviours.h"
#include "core/bar/bar_window.h"
#include "core/bar/monitors.h"
#include "core/runtime/res_string.h"
#include "settings/settings_store.h"
#include "resources/resource_ids.h"

namespace {
// Every item goes in at the top, so the menu is built bottom first.
void InsertItem(HMENU menu, const WCHAR* text, UINT id, UINT state, HMENU submenu) {
    MENUITEMINFOW item = {};
    item.cbSize = sizeof(item);
    if (!text) {
        item.fMask = MIIM_FTYPE;
        item.fType = MFT_SEPARATOR;
    } else {
        item.fMask = MIIM_STRING | MIIM_ID | MIIM_STATE | (submenu ? MIIM_SUBMENU : 0);
        item.dwTypeData = const_cast<WCHAR*>(text);
        item.wID = id;
        item.fState = state;
        item.hSubMenu = submenu;
    }
    InsertMenuItemW(menu, 0, TRUE, &item);
}

void InsertString(HMENU menu, UINT stringId, UINT id, UINT state = 0, HMENU submenu = nullptr) {
    WCHAR text[512];
    LoadStr(stringId, text, 512);
    InsertItem(menu, text, id, state, submenu);
}

HMENU BuildProfilesMenu() {
    HMENU menu = CreatePopupMenu();
    UINT count = 0, current = 0, fallback = 0;
    ProfileGetCount(&count);
    ProfileGetCurrent(&current);
    ProfileGetDefault(&fallback);
    for (UINT i = 0; i < count; i++) {
        WCHAR name[257];
        UINT size = 257;
        name[0] = 0;
        ProfileGetName(i, name, &size);
        UINT state = (i == fallback ? MFS_DEFAULT : 0) | (i == current ? MFS_CHECKED : 0);
        InsertItem(menu, name, IDM_PROFILE_FIRST + i, state, nullptr);
    }
    return menu;
}

void ShowHelp(HWND bar) { MessageBoxW(bar, L"Help not implemented yet", L"Tovara2", MB_ICONINFORMATION); }

// What the configuration window needs of the bar.
const ConfigHost kConfigHost = {BarGetMonitorRect, BarGetOpacity, BarSetOpacity, MonitorsGetCount, MonitorsGetPrimary};

void OpenConfig(int page) { ConfigWindowOpen(&kConfigHost, page); }
}  // namespace

HMENU BarBuildMenu() {
    HMENU menu = CreatePopupMenu();
    InsertString(menu, IDS_MENU_EXIT, IDM_EXIT);
    InsertItem(menu, nullptr, 0, 0, nullptr);
    InsertString(menu, IDS_MENU_ABOUT, IDM_ABOUT);
    InsertString(menu, IDS_MENU_HELP, IDM_HELP);
    InsertItem(menu, nullptr, 0, 0, nullptr);
    InsertString(menu, IDS_MENU_PROFILES, 0, 0, BuildProfilesMenu());
    InsertString(menu, IDS_MENU_CONFIGURATION, IDM_CONFIGURATION, MFS_DEFAULT);
    return menu;
}

void BarShowMenu(HWND bar) {
    HMENU menu = BarBuildMenu();
    POINT at;
    GetCursorPos(&at);
    TPMPARAMS params = {};
    params.cbSize = sizeof(params);
    // The menu opens beside the bar, never over it.
    GetWindowRect(bar, &params.rcExclude);
    SetForegroundWindow(bar);
    UINT flags = TPM_NONOTIFY | TPM_CENTERALIGN | (Bar.position == BAR_BOTTOM ? TPM_BOTTOMALIGN : 0);
    TrackPopupMenuEx(menu, flags, at.x, at.y, bar, &params);
    DestroyMenu(menu);  // takes the profiles submenu with it
}

void BarOnCommand(HWND bar, WPARAM wp, LPARAM lp) {
    if (lp) {
        // A link of the welcome text: 1 configures plug-ins, 2 is help.
        if (LOWORD(wp) != IDC_WELCOME) return;
        if (HIWORD(wp) == 1)
            OpenConfig(CONFIG_PAGE_PLUGINS);
        else if (HIWORD(wp) == 2)
            ShowHelp(bar);
        return;
    }
    UINT command = LOWORD(wp);
    switch (command) {
    case IDM_EXIT: BarExitRule(bar); return;
    case IDM_CONFIGURATION: OpenConfig(CONFIG_PAGE_NONE); return;
    case IDM_HELP: ShowHelp(bar); return;
    case IDM_ABOUT: {
        RECT monitor;
        BarGetMonitorRect(&monitor);
        AboutWindowOpen(monitor);
        return;
    }
    }
    if (command >= IDM_PROFILE_FIRST) ProfileSelect(command - IDM_PROFILE_FIRST);
}

void BarExitRule(HWND bar) {
    // The program cannot end under an open configuration window.
    if (ConfigWindowIsOpen()) {
        MessageBeep(MB_ICONEXCLAMATION);
        OpenConfig(CONFIG_PAGE_NONE);
        return;
    }
    DestroyWindow(bar);
}

void BarOnDoubleClick(HWND bar) { OpenConfig(CONFIG_PAGE_NONE); }
