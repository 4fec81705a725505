// The Plugins page: every package with its modules beneath it, what the
// selected one is, its Loaded or Active box, the arrows that move a module
// along the bar, the package menu (website, uninstall) and the panel in which
// the package shows its own options.
//
// The records belong to the plug-in threads, which free them as packages and
// modules come and go. The list keeps copies of the names it shows and uses
// a record only after asking whether it is still listed; a gone one is
// dropped at the next refill. The page refills on its own thread only: the
// plug-in threads post their news (ConfigWindowPackagesChanged).
#include "config/page_plugins.h"

#include <windows.h>
#include <shellapi.h>

#include "config/config_layout.h"
#include "config/config_pages.h"
#include "config/options_guard.h"
#include "config/uninstall_dialog.h"
#include "controls/dialog_frame.h"
#include "controls/fancy_button.h"
#include "controls/markup_msgbox.h"
#include "controls/ubb_control.h"
#include "controls/ubb_markup.h"
#include "core/runtime/app_state.h"
#include "core/runtime/art.h"
#include "core/runtime/memory.h"
#include "core/runtime/ptr_array.h"
#include "core/runtime/res_string.h"
#include "core/runtime/skin.h"
#include "core/runtime/wstr.h"
#include "plugins/fault_report.h"
#include "plugins/module.h"
#include "plugins/order.h"
#include "plugins/package.h"
#include "plugins/plugin_system.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"

namespace {
// Posted by the options guard: wParam is the exception code.
const UINT PLM_OPTIONS_FAULT = WM_APP + 20;

enum : int { ITEM_PACKAGE = 1, ITEM_MODULE = 2 };
const int kButtons[] = {IDC_PLG_EARLIER, IDC_PLG_LATER, IDC_PLG_OPTIONS};

// One row of the list: the record as an identity, and what is shown of it,
// copied while the record was known to be listed.
struct PluginItem {
    int kind;
    const PackageRecord* package;
    const ModuleRecord* module;  // module rows only
    WCHAR* packageName;
    WCHAR* fileName;
    WCHAR* author;
    WCHAR* website;  // or null
    WCHAR* moduleName;
    DWORD flags;
};

struct PluginsPageState {
    HWND page;
    WNDPROC previous;
    HWND panel;
    HBITMAP earlier, later;
    DLGTEMPLATE* panelTemplate;
    // The options the package was asked to show and not yet to hide.
    bool shown;
    PackageRecord* shownPackage;
    ModuleRecord* shownModule;
    // Its options faulted: not shown again while the window is open.
    const PackageRecord* faulted;
};
PluginsPageState Plg;

HWND Item(int id) { return GetDlgItem(Plg.page, id); }

WCHAR* Copy(const WCHAR* s) { return s ? StrDup(s) : nullptr; }

void FreeItem(PluginItem* item) {
    if (!item) return;
    MemFree(item->packageName);
    MemFree(item->fileName);
    MemFree(item->author);
    MemFree(item->website);
    MemFree(item->moduleName);
    MemFree(item);
}

// Under the plug-in lists' locks: copies only.
void CollectItem(void* context, const PackageRecord* package, const ModuleRecord* module) {
    if (!package) return;
    PluginItem* item = static_cast<PluginItem*>(MemAllocZero(sizeof(PluginItem)));
    item->kind = module ? ITEM_MODULE : ITEM_PACKAGE;
    item->package = package;
    item->module = module;
    // A package that gave no name is known by its file.
    item->packageName = Copy(package->name ? package->name : package->fileName);
    item->fileName = Copy(package->fileName);
    item->author = Copy(package->author);
    item->website = Copy(package->website);
    item->flags = package->flags;
    if (module) {
        WCHAR name[MODULE_NAME_MAX + 1];
        ModuleGetName(module, name);
        item->moduleName = StrDup(name);
    }
    PtrArrayAdd(static_cast<PtrArray*>(context), item);
}

bool IsListed(const PluginItem* item) {
    return item->module ? ModuleIsListed(item->module) : PackageIsListed(item->package);
}

// The selected row, or null when there is none or its record has gone.
PluginItem* Selected() {
    LRESULT index = SendDlgItemMessageW(Plg.page, IDC_PLG_LIST, LB_GETCURSEL, 0, 0);
    if (index < 0) return nullptr;
    LRESULT data = SendDlgItemMessageW(Plg.page, IDC_PLG_LIST, LB_GETITEMDATA, index, 0);
    PluginItem* item = data == LB_ERR ? nullptr : reinterpret_cast<PluginItem*>(data);
    return item && IsListed(item) ? item : nullptr;
}

int CompareText(const WCHAR* a, const WCHAR* b) {
    int c = lstrcmpiW(a ? a : L"", b ? b : L"");
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

// Packages by name, then file name; each package directly before its own
// modules, which go by name.
int CompareItems(const PluginItem* a, const PluginItem* b) {
    int c = CompareText(a->packageName, b->packageName);
    if (!c) c = CompareText(a->fileName, b->fileName);
    if (c) return c;
    if (a->kind != b->kind) return a->kind == ITEM_PACKAGE ? -1 : 1;
    return a->kind == ITEM_MODULE ? CompareText(a->moduleName, b->moduleName) : 0;
}

void ClearPanel() {
    // What a package left in the panel belongs to it; it goes with its options.
    while (HWND child = GetWindow(Plg.panel, GW_CHILD)) DestroyWindow(child);
}

void HideOptions() {
    if (!Plg.shown) return;
    Plg.shown = false;
    if (PackageIsListed(Plg.shownPackage) && (!Plg.shownModule || ModuleIsListed(Plg.shownModule)))
        PackageHideOptions(Plg.shownPackage, Plg.shownModule);
    ClearPanel();
    OptionsGuardEnd();
}

void ShowOptions(PackageRecord* package, ModuleRecord* module) {
    if (package == Plg.faulted || !PackageIsLoaded(package)) return;
    OptionsGuardBegin(Plg.panel, Plg.page, PLM_OPTIONS_FAULT);
    if (PackageShowOptions(package, Plg.panel, module) != 0) {
        OptionsGuardEnd();
        return;
    }
    Plg.shown = true;
    Plg.shownPackage = package;
    Plg.shownModule = module;
}

void SetInfo(UINT first, const WCHAR* firstValue, UINT second, const WCHAR* secondValue) {
    WCHAR label1[128], label2[128], value1[128], value2[128], text[600];
    LoadStr(first, label1, 128);
    LoadStr(second, label2, 128);
    UbbPlainText(value1, firstValue, 128);
    UbbPlainText(value2, secondValue, 128);
    wsprintfW(text, L"[b]%s:[/b] %s\n[b]%s:[/b] %s", label1, value1, label2, value2);
    SetDlgItemTextW(Plg.page, IDC_PLG_INFO, text);
}

void ShowControl(int id, bool show) { ShowWindow(Item(id), show ? SW_SHOW : SW_HIDE); }

// The frame shows the selected row; the package's options follow it.
void UpdateSelection() {
    PluginItem* item = Selected();
    PackageRecord* package = item ? const_cast<PackageRecord*>(item->package) : nullptr;
    ModuleRecord* module = item ? const_cast<ModuleRecord*>(item->module) : nullptr;
    bool same = Plg.shown && item && Plg.shownPackage == package && Plg.shownModule == module;
    if (Plg.shown && (!same || !PackageIsLoaded(package))) HideOptions();
    if (!item) {
        SetDlgItemTextW(Plg.page, IDC_PLG_INFO, GetStr(IDS_PLG_NOTHING_SELECTED));
        EnableWindow(Item(IDC_PLG_CHECK), FALSE);
        for (int id : kButtons) ShowControl(id, false);
        return;
    }
    EnableWindow(Item(IDC_PLG_CHECK), TRUE);
    bool visible = module && ModuleIsVisible(module);
    ShowControl(IDC_PLG_EARLIER, visible);
    ShowControl(IDC_PLG_LATER, visible);
    ShowControl(IDC_PLG_OPTIONS, !module);
    if (module) {
        SetInfo(IDS_PACKAGE, item->packageName, IDS_MODULE, item->moduleName);
        SetDlgItemTextW(Plg.page, IDC_PLG_CHECK, GetStr(IDS_PLG_ACTIVE));
        CheckDlgButton(Plg.page, IDC_PLG_CHECK, ModuleHasWindow(module) ? BST_CHECKED : 0);
    } else {
        SetInfo(IDS_PACKAGE, item->packageName, IDS_AUTHOR, item->author);
        SetDlgItemTextW(Plg.page, IDC_PLG_CHECK, GetStr(IDS_PLG_LOADED));
        CheckDlgButton(Plg.page, IDC_PLG_CHECK, PackageIsLoaded(package) ? BST_CHECKED : 0);
    }
    if (!Plg.shown) ShowOptions(package, module);
}

void Refill() {
    HWND list = Item(IDC_PLG_LIST);
    if (!list) return;
    // The same row stays selected and in view, whatever came or went.
    const void *package = nullptr, *module = nullptr;
    if (PluginItem* item = Selected()) package = item->package, module = item->module;
    LRESULT top = SendMessageW(list, LB_GETTOPINDEX, 0, 0);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    PtrArray* items = PtrArrayCreate();
    PluginsVisit(CollectItem, items);
    for (UINT i = 0; i < PtrArrayCount(items); i++) {
        PluginItem* item = static_cast<PluginItem*>(PtrArrayGet(items, i));
        LRESULT at = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        if (at < 0) {
            FreeItem(item);
            continue;
        }
        if (package && item->package == package && item->module == module) SendMessageW(list, LB_SETCURSEL, at, 0);
    }
    PtrArrayDestroy(items);
    SendMessageW(list, LB_SETTOPINDEX, top, 0);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    UpdateSelection();
}

void OnCheckClicked() {
    PluginItem* item = Selected();
    if (!item) return Refill();
    bool checked = IsDlgButtonChecked(Plg.page, IDC_PLG_CHECK) == BST_CHECKED;
    WCHAR path[MAX_PATH + MODULE_NAME_MAX + 16];
    if (StrLen(item->fileName) + (item->moduleName ? StrLen(item->moduleName) : 0) > MAX_PATH) return;
    if (item->module)
        wsprintfW(path, L"%s/%s/_activated", item->fileName, item->moduleName);
    else
        wsprintfW(path, L"%s/_loaded", item->fileName);
    // A package leaving is asked to take its options down while it can.
    if (!checked) HideOptions();
    // The plug-in system loads, unloads, activates or deactivates at once;
    // the window's listener refills this page.
    SettingsSetBool(path, checked ? 1 : 0);
    UpdateSelection();
}

void Uninstall(PluginItem* item) {
    if (item->module || (item->flags & TV2_PACKAGE_NO_UNINSTALL)) return;
    // Its options go first: the dialog unloads the package under them.
    HideOptions();
    ShowUninstallDialog(Plg.page, const_cast<PackageRecord*>(item->package));
    // Uninstalled, the FolderWatcher drops the package and the page refills;
    // otherwise it is shown as it now is.
    UpdateSelection();
}

void ShowPackageMenu() {
    PluginItem* item = Selected();
    if (!item) return;
    HMENU menu = CreatePopupMenu();
    auto insert = [&](UINT id, UINT text, bool enabled) {
        MENUITEMINFOW m = {};
        m.cbSize = sizeof(m);
        m.fMask = MIIM_STRING | MIIM_ID | MIIM_STATE;
        m.dwTypeData = GetStr(text);
        m.wID = id;
        m.fState = enabled ? 0 : MFS_GRAYED;
        InsertMenuItemW(menu, 0, TRUE, &m);
    };
    insert(IDM_PLG_UNINSTALL, IDS_PLG_UNINSTALL, !(item->flags & TV2_PACKAGE_NO_UNINSTALL));
    insert(IDM_PLG_WEBSITE, IDS_PLG_VISIT_WEBSITE, item->website != nullptr);
    RECT r;
    GetWindowRect(Item(IDC_PLG_OPTIONS), &r);
    SetForegroundWindow(Plg.page);
    TrackPopupMenuEx(menu, TPM_NONOTIFY, r.left, r.bottom, Plg.page, nullptr);
    DestroyMenu(menu);
}

void OnCommand(int id, int code) {
    switch (id) {
    case IDC_PLG_LIST:
        if (code == LBN_SELCHANGE) UpdateSelection();
        if (code == LBN_DBLCLK && Selected()) {
            CheckDlgButton(Plg.page, IDC_PLG_CHECK, IsDlgButtonChecked(Plg.page, IDC_PLG_CHECK) ? 0 : BST_CHECKED);
            OnCheckClicked();
        }
        return;
    case IDC_PLG_CHECK:
        if (code == BN_CLICKED) OnCheckClicked();
        return;
    case IDC_PLG_EARLIER:
    case IDC_PLG_LATER:
        if (code != FBN_CLICKED) return;
        if (PluginItem* item = Selected()) {
            if (item->module) OrderMoveModule(const_cast<ModuleRecord*>(item->module), id == IDC_PLG_LATER);
        }
        return;
    case IDC_PLG_OPTIONS:
        if (code == FBN_CLICKED) ShowPackageMenu();
        return;
    case IDM_PLG_UNINSTALL:
        if (PluginItem* item = Selected()) Uninstall(item);
        return;
    case IDM_PLG_WEBSITE:
        if (PluginItem* item = Selected()) {
            if (item->website) ShellExecuteW(nullptr, L"open", item->website, nullptr, nullptr, SW_SHOW);
        }
        return;
    }
}

// The options of a package faulted in one of its windows: they are closed,
// not asked to hide (the package's code is not to be trusted now), and the
// user is told.
void OnOptionsFault(DWORD code) {
    if (!Plg.shown) return;
    Plg.shown = false;
    Plg.faulted = Plg.shownPackage;
    ClearPanel();
    OptionsGuardEnd();
    WCHAR* name = nullptr;
    WCHAR* file = nullptr;
    PluginItem* item = Selected();
    if (item && item->package == Plg.faulted) {
        name = item->packageName;
        file = item->fileName;
    }
    WCHAR* text = FaultOptionsReportText(name, file, code);
    MarkupMessageBox(GetAncestor(Plg.page, GA_ROOT), text, FAULT_REPORT_HEADER, FAULT_REPORT_TITLE, MMB_ERROR,
                     IDI_TOVARA2_ERROR);
    MemFree(text);
    UpdateSelection();
}

void DrawItem(const DRAWITEMSTRUCT* d) {
    if (d->CtlID == IDC_PLG_FRAME) {
        RECT r = d->rcItem;
        FillRect(d->hDC, &r, GetSysColorBrush(COLOR_INFOBK));
        DrawEdge(d->hDC, &r, EDGE_ETCHED, BF_RECT);
        return;
    }
    const PluginItem* item = reinterpret_cast<const PluginItem*>(d->itemData);
    if (d->CtlID != IDC_PLG_LIST || d->itemID == static_cast<UINT>(-1) || !item) return;
    if (!(d->itemAction & (ODA_DRAWENTIRE | ODA_SELECT))) return;
    bool selected = (d->itemState & ODS_SELECTED) != 0;
    RECT r = d->rcItem;
    FillRect(d->hDC, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetTextColor(d->hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    SetBkMode(d->hDC, TRANSPARENT);
    r.left += 2 + (item->kind == ITEM_MODULE ? 16 : 0);
    r.right -= 2;
    HFONT font = item->kind == ITEM_PACKAGE ? SkinGetFont(SKIN_BOLD)
                                            : reinterpret_cast<HFONT>(SendMessageW(d->hwndItem, WM_GETFONT, 0, 0));
    HGDIOBJ old = SelectObject(d->hDC, font);
    const WCHAR* text = item->kind == ITEM_PACKAGE ? item->packageName : item->moduleName;
    DrawTextW(d->hDC, text ? text : L"", -1, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(d->hDC, old);
}

LRESULT OnCtlColor(HDC dc, HWND control) {
    int id = GetDlgCtrlID(control);
    if (id == IDC_PLG_INFO || id == IDC_PLG_CHECK) {
        SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
        SetBkColor(dc, GetSysColor(COLOR_INFOBK));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_INFOBK));
    }
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void Layout() {
    RECT client;
    GetClientRect(Plg.page, &client);
    SIZE line = {0, 0};
    GetAverageCharSize(SkinGetFont(0), &line);
    ControlPlace places[8];
    int n = PluginsPageLayout(client, line.cy, places);
    ControlPlaceApply(Plg.page, places, n, TRUE);
}

LRESULT CALLBACK PluginsPageProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SIZE: Layout(); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wp), HIWORD(wp)); return 0;
    case WM_MEASUREITEM: reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemHeight = 16; return TRUE;
    case WM_DRAWITEM: DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lp)); return TRUE;
    case WM_COMPAREITEM: {
        const COMPAREITEMSTRUCT* c = reinterpret_cast<const COMPAREITEMSTRUCT*>(lp);
        return CompareItems(reinterpret_cast<const PluginItem*>(c->itemData1),
                            reinterpret_cast<const PluginItem*>(c->itemData2));
    }
    case WM_DELETEITEM:
        if (wp == IDC_PLG_LIST) FreeItem(reinterpret_cast<PluginItem*>(reinterpret_cast<DELETEITEMSTRUCT*>(lp)->itemData));
        return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        int id = GetDlgCtrlID(reinterpret_cast<HWND>(lp));
        if (id >= IDC_PLG_INFO && id <= IDC_PLG_OPTIONS) return OnCtlColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
        break;
    }
    case PLM_OPTIONS_FAULT: OnOptionsFault(static_cast<DWORD>(wp)); return 0;
    }
    return CallWindowProcW(Plg.previous, w, msg, wp, lp);
}

// The panel's face: an etched frame around the package's options.
INT_PTR CALLBACK PanelProc(HWND panel, UINT msg, WPARAM wp, LPARAM) {
    if (msg != WM_ERASEBKGND) return FALSE;
    RECT r;
    GetClientRect(panel, &r);
    DrawEdge(reinterpret_cast<HDC>(wp), &r, EDGE_ETCHED, BF_RECT | BF_MIDDLE);
    SetWindowLongPtrW(panel, DWLP_MSGRESULT, 1);
    return TRUE;
}

}  // namespace

void PluginsPageCreate(HWND page) {
    Plg = PluginsPageState();
    Plg.page = page;
    Plg.earlier = ArtLoadBitmap(IDB_ARROW_LEFT);
    Plg.later = ArtLoadBitmap(IDB_ARROW_RIGHT);
    Plg.previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(page, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PluginsPageProc)));
    Plg.panelTemplate = DialogTemplateBuild(WS_CHILD | DS_CONTROL, WS_EX_CONTROLPARENT, nullptr);
    Plg.panel = CreateDialogIndirectParamW(AppInstance, Plg.panelTemplate, page, PanelProc, 0);
    SetWindowLongPtrW(Plg.panel, GWLP_ID, IDC_PLG_PANEL);
    ShowWindow(Plg.panel, SW_SHOW);
    const DWORD arrow = WS_TABSTOP | FBS_NOTIFY | FBS_TRANSPARENT | 0x0001;
    const DialogChild controls[] = {
        {IDC_PLG_LIST, L"LISTBOX", WS_EX_CLIENTEDGE | WS_EX_NOPARENTNOTIFY,
         WS_VSCROLL | LBS_NOTIFY | LBS_SORT | LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT, nullptr},
        {IDC_PLG_FRAME, L"STATIC", 0, SS_OWNERDRAW, nullptr},
        {IDC_PLG_INFO, UBB_CLASS_NAME, 0, WS_TABSTOP, nullptr},
        {IDC_PLG_CHECK, L"BUTTON", 0, BS_AUTOCHECKBOX | WS_TABSTOP, nullptr},
    };
    DialogCreateChildren(page, controls, sizeof(controls) / sizeof(controls[0]));
    // The buttons start hidden: the selection shows those that apply.
    const DialogChild buttons[] = {
        {IDC_PLG_EARLIER, FANCYBUTTON_CLASS_NAME, 0, arrow, nullptr},
        {IDC_PLG_LATER, FANCYBUTTON_CLASS_NAME, 0, arrow, nullptr},
        {IDC_PLG_OPTIONS, FANCYBUTTON_CLASS_NAME, 0, WS_TABSTOP | FBS_NOTIFY | FBS_TRANSPARENT, GetStr(IDS_PLG_OPTIONS)},
    };
    DialogCreateChildren(page, buttons, 3);
    for (int id : kButtons) ShowControl(id, false);
    SendDlgItemMessageW(page, IDC_PLG_EARLIER, FBM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(Plg.earlier));
    SendDlgItemMessageW(page, IDC_PLG_LATER, FBM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(Plg.later));
    SendDlgItemMessageW(page, IDC_PLG_EARLIER, FBM_SETTRANSCOLOR, RGB(255, 255, 255), 0);
    SendDlgItemMessageW(page, IDC_PLG_LATER, FBM_SETTRANSCOLOR, RGB(255, 255, 255), 0);
    DialogSetFonts(page, SkinGetFont(0), nullptr, 0);
}

void PluginsPageDestroy() {
    HideOptions();
    OptionsGuardEnd();
    // The rows are freed by this page's procedure, which then steps aside
    // for the page's last messages.
    SendDlgItemMessageW(Plg.page, IDC_PLG_LIST, LB_RESETCONTENT, 0, 0);
    SetWindowLongPtrW(Plg.page, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Plg.previous));
    SendDlgItemMessageW(Plg.page, IDC_PLG_EARLIER, FBM_SETIMAGE, IMAGE_BITMAP, 0);
    SendDlgItemMessageW(Plg.page, IDC_PLG_LATER, FBM_SETIMAGE, IMAGE_BITMAP, 0);
    if (Plg.earlier) DeleteObject(Plg.earlier);
    if (Plg.later) DeleteObject(Plg.later);
    MemFree(Plg.panelTemplate);
    Plg = PluginsPageState();
}

void PluginsPageLoad() { Refill(); }

void PluginsPageSave() { HideOptions(); }

void PluginsPageRefill() { Refill(); }
