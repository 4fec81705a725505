// The configuration window: the header with the picture strip, the tab
// control with one page per settings area (the page table), the profile
// selector and its menu in the tab row, and OK. Opening, the settings
// listener that keeps the pages current, and closing, which writes the file.
#include "config/config_window.h"

#include <commctrl.h>

#include "config/config_layout.h"
#include "config/config_pages.h"
#include "config/profile_dialogs.h"
#include "controls/dialog_frame.h"
#include "controls/fancy_button.h"
#include "core/runtime/app_state.h"
#include "core/runtime/art.h"
#include "core/runtime/memory.h"
#include "core/runtime/res_string.h"
#include "core/runtime/skin.h"
#include "core/runtime/wstr.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"

namespace {
const WCHAR kMutexName[] = L"Tovara2ConfigWindow";
const int kClientWidth = 620, kClientHeight = 392;

ConfigPage Pages[] = {
    {IDS_PAGE_GENERAL, GeneralPageCreate, GeneralPageDestroy, GeneralPageLoad, GeneralPageSave, nullptr},
    {IDS_PAGE_PLUGINS, PluginsPageCreate, PluginsPageDestroy, PluginsPageLoad, PluginsPageSave, nullptr},
};
const int kPageCount = sizeof(Pages) / sizeof(Pages[0]);

struct ConfigWindowState {
    HWND volatile window;  // read by the listener on other threads
    DWORD thread;
    ConfigHost host;
    int initialPage;
    HICON icon;
    HBITMAP picture;
    DLGTEMPLATE* pageTemplate;
    // Work posted from other threads and not yet done: one message each.
    volatile LONG settingsPending, profilePending, packagesPending;
};
ConfigWindowState Cfg;

void BuildTitle(WCHAR* title) {
    WCHAR name[256];
    LoadStr(IDS_CFG_TITLE, name, 256);
    wsprintfW(title, L"Tovara2 - %s", name);
}

HWND Item(int id) { return GetDlgItem(Cfg.window, id); }

void LoadAllPages() {
    for (ConfigPage& p : Pages) p.load();
}

void SaveAllPages() {
    for (ConfigPage& p : Pages) p.save();
}

void FillProfiles() { ConfigFillProfileList(Item(IDC_CFG_PROFILES)); }

void OnSettings(UINT code) {
    switch (code) {
    case SN_PROFILE_LEAVING: SaveAllPages(); break;
    case SN_PROFILE_CHANGED:
        FillProfiles();
        LoadAllPages();
        break;
    case SN_SETTING_CHANGED: LoadAllPages(); break;
    }
}

// A host key (the last name of the path begins with "_") concerns the pages;
// a plug-in's own settings do not.
bool IsHostKey(const WCHAR* path) {
    if (!path) return false;
    const WCHAR* name = path;
    for (const WCHAR* p = path; *p; p++)
        if (*p == L'/') name = p + 1;
    return name[0] == L'_';
}

// Called on whatever thread changed the store. On the window's own thread the
// pages follow at once (a profile switch must save them before it happens);
// from any other thread the work is posted, once until it is done, and the
// window's controls are never touched there.
void ConfigListener(UINT code, const WCHAR* path) {
    HWND w = Cfg.window;
    code = LOWORD(code);
    if (!w || (code == SN_SETTING_CHANGED && !IsHostKey(path))) return;
    if (code != SN_PROFILE_LEAVING && code != SN_PROFILE_CHANGED && code != SN_SETTING_CHANGED) return;
    if (GetCurrentThreadId() == Cfg.thread) {
        OnSettings(code);
        return;
    }
    // Too late to save the pages into a profile another thread is leaving;
    // they write every change as it is made anyway.
    if (code == SN_PROFILE_LEAVING) return;
    volatile LONG* pending = code == SN_PROFILE_CHANGED ? &Cfg.profilePending : &Cfg.settingsPending;
    if (InterlockedExchange(pending, 1) == 0) PostMessageW(w, CFGM_SETTINGS, code, 0);
}

void OnPostedSettings(UINT code) {
    InterlockedExchange(code == SN_PROFILE_CHANGED ? &Cfg.profilePending : &Cfg.settingsPending, 0);
    OnSettings(code);
}

ConfigPage* PageOfTab(int tab) {
    TCITEMW item = {};
    item.mask = TCIF_PARAM;
    if (!SendMessageW(Item(IDC_CFG_TABS), TCM_GETITEMW, tab, reinterpret_cast<LPARAM>(&item))) return nullptr;
    return item.lParam >= 0 && item.lParam < kPageCount ? &Pages[item.lParam] : nullptr;
}

void HidePage(int tab) {
    if (ConfigPage* p = PageOfTab(tab)) ShowWindow(p->window, SW_HIDE);
}

void ShowPage(int tab) {
    ConfigPage* p = PageOfTab(tab);
    if (!p) return;
    UpdateWindow(p->window);
    ShowWindow(p->window, SW_SHOW);
    WCHAR heading[512], title[256], page[256];
    LoadStr(IDS_CFG_TITLE, title, 256);
    LoadStr(p->title, page, 256);
    wsprintfW(heading, L"%s - %s", title, page);
    SetDlgItemTextW(Cfg.window, DLGHDR_HEADING, heading);
    // The heading is drawn without a background: the picture beneath is
    // redrawn first.
    RECT r;
    GetWindowRect(Item(DLGHDR_HEADING), &r);
    MapWindowPoints(nullptr, Cfg.window, reinterpret_cast<POINT*>(&r), 2);
    RedrawWindow(Cfg.window, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void OnShowPage(WPARAM page) {
    int wanted = page >= static_cast<WPARAM>(kPageCount) ? kPageCount - 1 : static_cast<int>(page);
    HWND tabs = Item(IDC_CFG_TABS);
    int current = static_cast<int>(SendMessageW(tabs, TCM_GETCURSEL, 0, 0));
    if (current == wanted) return;
    HidePage(current);
    SendMessageW(tabs, TCM_SETCURSEL, wanted, 0);
    ShowPage(wanted);
}

void Layout(HWND w) {
    RECT client;
    GetClientRect(w, &client);
    int header = DialogHeaderLayout(w, DLGHDR_PICTURE, client, SkinGetFont(SKIN_BOLD), SkinGetFont(0));
    ControlPlace places[8];
    RECT body;
    int n = ConfigWindowLayout(client, header, places, &body);
    ControlPlaceApply(w, places, n, FALSE);
    HWND tabs = Item(IDC_CFG_TABS);
    RECT display;
    GetWindowRect(tabs, &display);
    MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&display), 2);
    SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    RECT page = ConfigPageRect(display);
    for (ConfigPage& p : Pages)
        MoveWindow(p.window, page.left, page.top, page.right - page.left, page.bottom - page.top, FALSE);
    InvalidateRect(w, &body, TRUE);
}

void OnInitDialog(HWND w) {
    Cfg.window = w;
    Cfg.thread = GetCurrentThreadId();
    WCHAR heading[256], description[512];
    LoadStr(IDS_CFG_TITLE, heading, 256);
    LoadStr(IDS_CFG_DESCRIPTION, description, 512);
    DialogHeaderCreate(w, {DLGHDR_PICTURE, heading, description, Cfg.icon, Cfg.picture});
    const DialogChild controls[] = {
        {IDC_CFG_TABS, WC_TABCONTROLW, 0, WS_CLIPSIBLINGS | WS_GROUP | WS_TABSTOP, nullptr},
        {IDC_CFG_PROFILE_LABEL, L"STATIC", 0, WS_GROUP | SS_RIGHT, nullptr},
        {IDC_CFG_PROFILES, L"COMBOBOX", 0, WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST | CBS_SORT, nullptr},
        {IDC_CFG_PROFILE_MENU, FANCYBUTTON_CLASS_NAME, 0, WS_TABSTOP, L"\x00BB"},
    };
    DialogCreateChildren(w, controls, sizeof(controls) / sizeof(controls[0]));
    SetDlgItemTextW(w, IDC_CFG_PROFILE_LABEL, GetStr(IDS_CFG_SELECT_PROFILE));

    HWND tabs = Item(IDC_CFG_TABS);
    for (int i = 0; i < kPageCount; i++) {
        ConfigPage& p = Pages[i];
        p.window = CreateDialogIndirectParamW(AppInstance, Cfg.pageTemplate, w, ConfigPageProc, 0);
        p.create(p.window);
        WCHAR title[256];
        LoadStr(p.title, title, 256);
        TCITEMW item = {};
        item.mask = TCIF_TEXT | TCIF_PARAM;
        item.pszText = title;
        item.lParam = i;
        SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    // The tab control lies under everything that overlaps it (the pages and
    // the selector row), or it would take their clicks.
    SetWindowPos(tabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    int first = Cfg.initialPage >= kPageCount ? kPageCount - 1 : Cfg.initialPage;
    SendMessageW(tabs, TCM_SETCURSEL, first, 0);

    const DialogChild ok = {IDOK, L"BUTTON", 0, WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, nullptr};
    DialogCreateChild(w, ok);
    SetDlgItemTextW(w, IDOK, GetStr(IDS_OK));
    DialogSetFonts(w, SkinGetFont(0), SkinGetFont(SKIN_BOLD), DLGHDR_HEADING);
    ConfigCentreDialog(w, kClientWidth, kClientHeight);
    ShowPage(first);

    FillProfiles();
    LoadAllPages();
    SettingsAddListener(ConfigListener);
    DialogFrameAnimateOpen(w);
}

void OnDestroy() {
    SettingsRemoveListener(ConfigListener);
    SaveAllPages();
    for (ConfigPage& p : Pages) p.destroy();
    Cfg.window = nullptr;
}

UINT CurrentProfile() {
    UINT current = 0;
    ProfileGetCurrent(&current);
    return current;
}

void InsertMenuString(HMENU menu, UINT id, UINT text, bool enabled) {
    WCHAR buffer[256];
    LoadStr(text, buffer, 256);
    MENUITEMINFOW item = {};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_STRING | MIIM_ID | MIIM_STATE;
    item.dwTypeData = buffer;
    item.wID = id;
    item.fState = enabled ? 0 : MFS_GRAYED;
    InsertMenuItemW(menu, 0, TRUE, &item);
}

void ShowProfileMenu(HWND w) {
    UINT count = 0, fallback = 0;
    ProfileGetCount(&count);
    ProfileGetDefault(&fallback);
    HMENU menu = CreatePopupMenu();
    // Each at the top: bottom item first.
    InsertMenuString(menu, IDM_CFG_SET_DEFAULT, IDS_CFG_SET_DEFAULT, CurrentProfile() != fallback);
    InsertMenuString(menu, IDM_CFG_DELETE_PROFILE, IDS_CFG_DELETE_PROFILE, count >= 2);
    InsertMenuString(menu, IDM_CFG_RENAME_PROFILE, IDS_CFG_RENAME_PROFILE, true);
    InsertMenuString(menu, IDM_CFG_NEW_PROFILE, IDS_CFG_NEW_PROFILE, true);
    RECT r;
    GetWindowRect(Item(IDC_CFG_PROFILE_MENU), &r);
    SetForegroundWindow(w);
    TrackPopupMenuEx(menu, TPM_NONOTIFY, r.left, r.bottom, w, nullptr);
    DestroyMenu(menu);
}

void OnCommand(HWND w, int id, int code) {
    switch (id) {
    case IDOK:
    case IDCANCEL:
        // There is no cancel: every page has written its changes already.
        if (code == 0) SendMessageW(w, WM_CLOSE, 0, 0);
        return;
    case IDC_CFG_PROFILES: {
        if (code != CBN_SELCHANGE) return;
        HWND list = Item(IDC_CFG_PROFILES);
        LRESULT item = SendMessageW(list, CB_GETCURSEL, 0, 0);
        if (item < 0) return;
        ProfileSelect(static_cast<UINT>(SendMessageW(list, CB_GETITEMDATA, item, 0)));
        return;
    }
    case IDC_CFG_PROFILE_MENU:
        if (code == FBN_CLICKED) ShowProfileMenu(w);
        return;
    case IDM_CFG_NEW_PROFILE:
        if (ShowNewProfileDialog(w) == IDOK) {
            FillProfiles();
            LoadAllPages();
        }
        return;
    case IDM_CFG_SET_DEFAULT: {
        HWND list = Item(IDC_CFG_PROFILES);
        LRESULT item = SendMessageW(list, CB_GETCURSEL, 0, 0);
        if (item >= 0) ProfileSetDefault(static_cast<UINT>(SendMessageW(list, CB_GETITEMDATA, item, 0)));
        FillProfiles();
        return;
    }
    case IDM_CFG_DELETE_PROFILE:
        if (MessageBoxW(w, GetStr(IDS_CFG_DELETE_QUESTION), L"Tovara2", MB_YESNO) == IDYES) {
            ProfileDelete(CurrentProfile());
            FillProfiles();
            LoadAllPages();
        }
        return;
    case IDM_CFG_RENAME_PROFILE:
        if (ShowRenameProfileDialog(w, CurrentProfile()) == IDOK) FillProfiles();
        return;
    }
}

INT_PTR OnNotify(const NMHDR* n) {
    if (n->idFrom != IDC_CFG_TABS) return 0;
    int tab = static_cast<int>(SendMessageW(n->hwndFrom, TCM_GETCURSEL, 0, 0));
    if (n->code == TCN_SELCHANGING) HidePage(tab);
    if (n->code == TCN_SELCHANGE) ShowPage(tab);
    return 0;
}

INT_PTR OnCtlColorStatic(HDC dc, HWND control) {
    HBRUSH brush = DialogHeaderCtlColor(DLGHDR_PICTURE, dc, control);
    return reinterpret_cast<INT_PTR>(brush);
}

INT_PTR CALLBACK ConfigWindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: OnInitDialog(w); return FALSE;
    case WM_COMMAND: OnCommand(w, LOWORD(wp), HIWORD(wp)); return TRUE;
    case WM_NOTIFY: SetWindowLongPtrW(w, DWLP_MSGRESULT, OnNotify(reinterpret_cast<NMHDR*>(lp))); return TRUE;
    case WM_SIZE: Layout(w); return TRUE;
    case WM_CTLCOLORSTATIC: return OnCtlColorStatic(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (item->CtlID != DLGHDR_LINE) return FALSE;
        DialogDrawEtchedLine(item);
        return TRUE;
    }
    case WM_CLOSE: DialogFrameClose(w, 1); return TRUE;
    case WM_DESTROY: OnDestroy(); return TRUE;
    case CFGM_SHOWPAGE: OnShowPage(wp); return TRUE;
    case CFGM_SETTINGS: OnPostedSettings(static_cast<UINT>(wp)); return TRUE;
    case CFGM_PACKAGES:
        InterlockedExchange(&Cfg.packagesPending, 0);
        PluginsPageRefill();
        return TRUE;
    }
    return FALSE;
}
}  // namespace

const ConfigHost* ConfigGetHost() { return &Cfg.host; }

void ConfigFillProfileList(HWND list) {
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    UINT count = 0, current = 0, fallback = 0;
    ProfileGetCount(&count);
    ProfileGetCurrent(&current);
    ProfileGetDefault(&fallback);
    WCHAR word[64];
    LoadStr(IDS_DEFAULT, word, 64);
    // The list sorts itself: each item carries its profile's index.
    for (UINT i = 0; i < count; i++) {
        WCHAR text[330];
        UINT size = 256;
        text[0] = 0;
        ProfileGetName(i, text, &size);
        if (i == fallback) wsprintfW(text + StrLen(text), L" (%s)", word);
        LRESULT item = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        if (item >= 0) SendMessageW(list, CB_SETITEMDATA, item, i);
    }
    // Found by index, not by text: two profiles may bear the same name.
    int items = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < items; i++)
        if (static_cast<UINT>(SendMessageW(list, CB_GETITEMDATA, i, 0)) == current) SendMessageW(list, CB_SETCURSEL, i, 0);
}

void ConfigCentreDialog(HWND dialog, int width, int height) {
    RECT monitor = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (Cfg.host.getMonitorRect) Cfg.host.getMonitorRect(&monitor);
    DialogFrameCentre(dialog, width, height, monitor);
}

INT_PTR CALLBACK ConfigPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        // Nothing of its own: the tab control shows through.
        SetWindowLongPtrW(page, DWLP_MSGRESULT, 1);
        return TRUE;
    case WM_CTLCOLORSTATIC: {
        HWND control = reinterpret_cast<HWND>(lp);
        WCHAR cls[16];
        GetClassNameW(control, cls, 16);
        LONG type = GetWindowLongW(control, GWL_STYLE) & 0xF;
        // Check boxes, radio buttons and group boxes keep their own face.
        if (lstrcmpiW(cls, L"button") == 0 && type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON && type != BS_USERBUTTON)
            return FALSE;
        HDC dc = reinterpret_cast<HDC>(wp);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
    }
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (item->CtlType != ODT_BUTTON || item->CtlID != 205) return FALSE;
        DialogDrawEtchedLine(item);
        return TRUE;
    }
    }
    return FALSE;
}

namespace {
// The tab control's library is loaded when a configuration window first
// opens, not at start-up: nothing else of the program uses it, and loading
// it (one class registration per control) was part of every start.
void LoadCommonControls() {
    HMODULE library = GetModuleHandleW(L"comctl32.dll");
    if (!library) library = LoadLibraryW(L"comctl32.dll");
    typedef void(WINAPI * InitFn)();
    InitFn init = library ? reinterpret_cast<InitFn>(GetProcAddress(library, "InitCommonControls")) : nullptr;
    if (init) init();
}
}  // namespace

int ConfigWindowOpen(const ConfigHost* host, int page) {
    WCHAR title[512];
    BuildTitle(title);
    // Asked again while open: the open window comes forward (on the page
    // asked for, if any); no second window is made.
    if (ConfigWindowIsOpen()) {
        HWND open = FindWindowW(nullptr, title);
        if (open && page != CONFIG_PAGE_NONE) PostMessageW(open, CFGM_SHOWPAGE, page, 0);
        DialogBringForward(title);
        return -1;
    }
    LoadCommonControls();
    Cfg.host = *host;
    Cfg.initialPage = page < 0 ? 0 : page;
    Cfg.icon = LoadIconW(AppInstance, MAKEINTRESOURCEW(IDI_TOVARA2));
    if (!Cfg.icon) Cfg.icon = LoadIconW(nullptr, IDI_APPLICATION);
    Cfg.picture = ArtLoadBitmap(IDB_CONFIG_HEADER);
    Cfg.pageTemplate = DialogTemplateBuild(WS_CHILD | DS_CONTROL, 0, nullptr);
    const DialogFrame frame = {title, kMutexName, DLGFRAME_STYLE, 0};
    INT_PTR result = DialogFrameRun(frame, nullptr, ConfigWindowProc, 0, -1);
    MemFree(Cfg.pageTemplate);
    Cfg.pageTemplate = nullptr;
    if (Cfg.picture) DeleteObject(Cfg.picture);
    Cfg.picture = nullptr;
    Cfg.icon = nullptr;  // shared by LoadIconW: not ours to destroy
    if (result == -1) return -1;
    // What the user has just set survives a later crash.
    SettingsWrite();
    return 0;
}

bool ConfigWindowIsOpen() {
    HANDLE m = OpenMutexW(SYNCHRONIZE, FALSE, kMutexName);
    if (!m) return false;
    CloseHandle(m);
    return true;
}

void ConfigWindowPackagesChanged() {
    HWND w = Cfg.window;
    if (w && InterlockedExchange(&Cfg.packagesPending, 1) == 0) PostMessageW(w, CFGM_PACKAGES, 0, 0);
}
