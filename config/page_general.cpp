// The General page: the host's own settings of the current profile (module
// alignment and border style, the bar's edge, monitor, autohide, opacity and
// the language). Every change is written at once; the store's notification
// makes the bar and the module layout follow, except the language, which is
// read at the next start.
#include "config/page_general.h"

#include "config/config_layout.h"
#include "config/config_pages.h"
#include "controls/dialog_frame.h"
#include "controls/slider.h"
#include "controls/ubb_control.h"
#include "core/runtime/app_state.h"
#include "core/runtime/memory.h"
#include "core/runtime/res_string.h"
#include "core/runtime/skin.h"
#include "core/runtime/wstr.h"
#include "resources/resource_ids.h"
#include "settings/settings_store.h"

namespace {
struct GeneralPageState {
    HWND page;
    WNDPROC previous;
};
GeneralPageState General;

// The bar can never be made fully transparent from here.
const UINT kOpacityMin = 10, kOpacityMax = 100;

struct PageControl {
    int id;
    const WCHAR* className;
    DWORD exStyle;
    DWORD style;
    UINT text;  // string id, 0 for none
};

const DWORD kQuiet = WS_EX_NOPARENTNOTIFY;
const DWORD kRadio = WS_TABSTOP | BS_AUTORADIOBUTTON;
const DWORD kCheck = WS_TABSTOP | BS_AUTOCHECKBOX;
const DWORD kList = WS_VSCROLL | WS_TABSTOP | CBS_SORT | CBS_DROPDOWNLIST;

// In creation order, which is also the tab order.
const PageControl kControls[] = {
    {IDC_GEN_SEPARATOR, L"STATIC", kQuiet, SS_OWNERDRAW, 0},
    {IDC_GEN_ALIGNMENT, L"STATIC", kQuiet, WS_GROUP, IDS_GEN_ALIGNMENT},
    {IDC_GEN_ALIGNMENT_HINT, UBB_CLASS_NAME, kQuiet, 0, IDS_GEN_ALIGNMENT_HINT},
    {IDC_GEN_LEFT, L"BUTTON", 0, kRadio, IDS_GEN_ALIGN_LEFT},
    {IDC_GEN_RIGHT, L"BUTTON", 0, kRadio, IDS_GEN_ALIGN_RIGHT},
    {IDC_GEN_CENTER, L"BUTTON", 0, kRadio, IDS_GEN_ALIGN_CENTER},
    {IDC_GEN_JUSTIFY, L"BUTTON", 0, kRadio, IDS_GEN_ALIGN_JUSTIFY},
    {IDC_GEN_STYLE, L"STATIC", kQuiet, WS_GROUP, IDS_GEN_STYLE},
    {IDC_GEN_STYLE_HINT, UBB_CLASS_NAME, kQuiet, 0, IDS_GEN_STYLE_HINT},
    {IDC_GEN_SEPARATOR_STYLE, L"BUTTON", 0, kRadio, IDS_GEN_STYLE_SEPARATOR},
    {IDC_GEN_ETCHED, L"BUTTON", 0, kRadio, IDS_GEN_STYLE_ETCHED},
    {IDC_GEN_INSET, L"BUTTON", 0, kRadio, IDS_GEN_STYLE_INSET},
    {IDC_GEN_OUTSET, L"BUTTON", 0, kRadio, IDS_GEN_STYLE_OUTSET},
    {IDC_GEN_POSITION, L"STATIC", kQuiet, WS_GROUP, IDS_GEN_POSITION},
    {IDC_GEN_POSITION_HINT, UBB_CLASS_NAME, kQuiet, 0, IDS_GEN_POSITION_HINT},
    {IDC_GEN_TOP, L"BUTTON", 0, kRadio, IDS_GEN_POSITION_TOP},
    {IDC_GEN_BOTTOM, L"BUTTON", 0, kRadio, IDS_GEN_POSITION_BOTTOM},
    {IDC_GEN_MONITOR_LABEL, L"STATIC", kQuiet, WS_GROUP, IDS_GEN_MONITOR},
    {IDC_GEN_MONITOR, L"COMBOBOX", 0, kList, 0},
    {IDC_GEN_AUTOHIDE, L"STATIC", kQuiet, WS_GROUP, IDS_GEN_AUTOHIDE},
    {IDC_GEN_AUTOHIDE_HINT, UBB_CLASS_NAME, kQuiet, 0, IDS_GEN_AUTOHIDE_HINT},
    {IDC_GEN_AUTOHIDE_ENABLE, L"BUTTON", 0, kCheck, IDS_GEN_AUTOHIDE_ENABLE},
    {IDC_GEN_AUTOHIDE_CLICK, L"BUTTON", 0, kCheck, IDS_GEN_AUTOHIDE_CLICK},
    {IDC_GEN_LANGUAGE, L"STATIC", kQuiet, WS_GROUP, IDS_GEN_LANGUAGE},
    {IDC_GEN_LANGUAGE_HINT, UBB_CLASS_NAME, kQuiet, 0, IDS_GEN_LANGUAGE_HINT},
    {IDC_GEN_LANGUAGES, L"COMBOBOX", 0, kList, 0},
};
// Only where layered windows exist (NT 5 and later).
const PageControl kOpacityControls[] = {
    {IDC_GEN_OPACITY, L"STATIC", kQuiet, WS_GROUP, IDS_GEN_OPACITY},
    {IDC_GEN_OPACITY_HINT, UBB_CLASS_NAME, kQuiet, 0, IDS_GEN_OPACITY_HINT},
    {IDC_GEN_OPACITY_SLIDER, TV2SLIDER_CLASS_NAME, kQuiet, WS_TABSTOP | SLS_THUMB, 0},
    {IDC_GEN_TRANSPARENT, L"STATIC", 0, SS_NOPREFIX, IDS_GEN_TRANSPARENT},
    {IDC_GEN_OPAQUE, L"STATIC", 0, SS_NOPREFIX | SS_RIGHT, IDS_GEN_OPAQUE},
};
const int kHeadings[] = {IDC_GEN_ALIGNMENT, IDC_GEN_STYLE, IDC_GEN_POSITION,
                         IDC_GEN_LANGUAGE,  IDC_GEN_OPACITY, IDC_GEN_AUTOHIDE};

// The values each radio group writes, in the order of its buttons.
struct RadioGroup {
    const WCHAR* key;
    int first;
    int count;
    const WCHAR* values[4];
    int fallback;  // the button shown when the setting is absent or unknown
};
const RadioGroup kGroups[] = {
    {L"_alignment", IDC_GEN_LEFT, 4, {L"left", L"right", L"center", L"justify"}, 2},
    {L"_style", IDC_GEN_SEPARATOR_STYLE, 4, {L"separator", L"etched", L"inset", L"outset"}, 1},
    {L"_position", IDC_GEN_TOP, 2, {L"top", L"bottom"}, 0},
};

bool HasOpacity() { return OsVersion.dwPlatformId == VER_PLATFORM_WIN32_NT && OsVersion.dwMajorVersion >= 5; }

HWND Item(int id) { return GetDlgItem(General.page, id); }
bool Checked(int id) { return IsDlgButtonChecked(General.page, id) == BST_CHECKED; }

void CreateControls(const PageControl* controls, int count) {
    for (int i = 0; i < count; i++) {
        const PageControl& c = controls[i];
        CreateWindowExW(c.exStyle, c.className, c.text ? GetStr(c.text) : L"", WS_CHILD | WS_VISIBLE | c.style, 0, 0,
                        0, 0, General.page, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), AppInstance,
                        nullptr);
    }
}

void LoadRadioGroup(const RadioGroup& g) {
    int chosen = g.fallback;
    WCHAR* text = nullptr;
    if (SettingsGetString(g.key, &text) == 0 && text) {
        for (int i = 0; i < g.count; i++)
            if (StrCompareNoCaseN(text, g.values[i], -1) == 0) chosen = i;
    }
    MemFree(text);
    for (int i = 0; i < g.count; i++) CheckDlgButton(General.page, g.first + i, i == chosen ? BST_CHECKED : 0);
}

void SaveRadioGroup(const RadioGroup& g) {
    for (int i = 0; i < g.count; i++) {
        if (Checked(g.first + i)) {
            SettingsSetString(g.key, g.values[i]);
            return;
        }
    }
}

void LoadMonitors() {
    HWND list = Item(IDC_GEN_MONITOR);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    const ConfigHost* host = ConfigGetHost();
    UINT count = host->monitorCount(), primary = host->primaryMonitor();
    for (UINT i = 0; i < count; i++) {
        WCHAR text[16];
        wsprintfW(text, L"%i%s", i + 1, i == primary ? L"*" : L"");
        SendMessageW(list, CB_INSERTSTRING, i, reinterpret_cast<LPARAM>(text));
    }
    DWORD index = primary;
    SettingsGetNumber(L"_monitor", &index);
    SendMessageW(list, CB_SETCURSEL, index < count ? index : static_cast<WPARAM>(-1), 0);
}

BOOL CALLBACK AddLanguage(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR list) {
    WCHAR text[512];
    LoadStringLang(nullptr, IDS_LANGUAGE_NAME, text, 512, language);
    LRESULT item = SendMessageW(reinterpret_cast<HWND>(list), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (item >= 0) SendMessageW(reinterpret_cast<HWND>(list), CB_SETITEMDATA, item, language);
    return TRUE;
}

void LoadLanguages() {
    HWND list = Item(IDC_GEN_LANGUAGES);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    // Every language the executable carries a string table for; each is
    // listed under its own name.
    EnumResourceLanguagesW(nullptr, RT_STRING, MAKEINTRESOURCEW(1), AddLanguage, reinterpret_cast<LONG_PTR>(list));
    DWORD language = 1033;
    SettingsGetNumber(L"_language", &language);
    WCHAR text[512];
    LoadStringLang(nullptr, IDS_LANGUAGE_NAME, text, 512, LOWORD(language));
    LRESULT found = SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
    if (found >= 0) SendMessageW(list, CB_SETCURSEL, found, 0);
}

void LoadCheck(int id, const WCHAR* key) {
    DWORD value = 0;
    CheckDlgButton(General.page, id, SettingsGetBool(key, &value) == 0 && value ? BST_CHECKED : 0);
}

UINT SliderOpacity() {
    UINT value = static_cast<UINT>(SendDlgItemMessageW(General.page, IDC_GEN_OPACITY_SLIDER, SLM_GETPOS, 0, 0));
    return value < kOpacityMin ? kOpacityMin : value > kOpacityMax ? kOpacityMax : value;
}

void Layout() {
    RECT client;
    GetClientRect(General.page, &client);
    SIZE bold = {0, 0};
    GetAverageCharSize(SkinGetFont(SKIN_BOLD), &bold);
    // Each description is as tall as its text at the column's width.
    const int hints[] = {IDC_GEN_ALIGNMENT_HINT, IDC_GEN_STYLE_HINT,    IDC_GEN_POSITION_HINT,
                         IDC_GEN_AUTOHIDE_HINT,  IDC_GEN_LANGUAGE_HINT, IDC_GEN_OPACITY_HINT};
    int heights[6] = {};
    int width = GeneralColumnWidth(client);
    for (int i = 0; i < 6; i++) {
        HWND hint = Item(hints[i]);
        if (!hint) continue;
        MoveWindow(hint, 0, 0, width, bold.cy, FALSE);
        SIZE ideal = {0, 0};
        SendMessageW(hint, UBBM_GETIDEALSIZE, reinterpret_cast<WPARAM>(&ideal), 0);
        heights[i] = ideal.cy;
    }
    ControlPlace places[48];
    int n = GeneralPageLayout(client, bold.cy, heights, HasOpacity(), places);
    ControlPlaceApply(General.page, places, n, TRUE);
}

void OnCommand(int id, int code) {
    if (id < IDC_GEN_TOP || id > IDC_GEN_AUTOHIDE_CLICK) return;
    for (const RadioGroup& g : kGroups) {
        if (id >= g.first && id < g.first + g.count) {
            if (Checked(id)) SettingsSetString(g.key, g.values[id - g.first]);
            return;
        }
    }
    switch (id) {
    case IDC_GEN_MONITOR:
    case IDC_GEN_LANGUAGES: {
        if (code != CBN_SELCHANGE) return;
        LRESULT item = SendDlgItemMessageW(General.page, id, CB_GETCURSEL, 0, 0);
        if (item < 0) return;
        if (id == IDC_GEN_MONITOR)
            SettingsSetNumber(L"_monitor", static_cast<DWORD>(item));
        else
            SettingsSetNumber(L"_language", static_cast<DWORD>(SendDlgItemMessageW(General.page, id, CB_GETITEMDATA, item, 0)));
        return;
    }
    case IDC_GEN_OPACITY_SLIDER:
        // The bar follows the thumb; the setting is written once, on release.
        ConfigGetHost()->setOpacity(SliderOpacity());
        if (code == SLN_FINISHED) SettingsSetNumber(L"_opacity", ConfigGetHost()->getOpacity());
        return;
    case IDC_GEN_AUTOHIDE_ENABLE:
        if (code != BN_CLICKED) return;
        EnableWindow(Item(IDC_GEN_AUTOHIDE_CLICK), Checked(id));
        SettingsSetBool(L"_autohide", Checked(id) ? 1 : 0);
        return;
    case IDC_GEN_AUTOHIDE_CLICK:
        if (code == BN_CLICKED) SettingsSetBool(L"_autohide_click", Checked(id) ? 1 : 0);
        return;
    }
}

LRESULT CALLBACK GeneralPageProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SIZE: Layout(); return 0;
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (item->CtlType == ODT_STATIC && item->CtlID == IDC_GEN_SEPARATOR) {
            RECT r = item->rcItem;
            DrawEdge(item->hDC, &r, BDR_SUNKENOUTER, BF_LEFT | BF_RIGHT);
        }
        return 0;
    }
    case WM_COMMAND: OnCommand(LOWORD(wp), HIWORD(wp)); return 0;
    }
    return CallWindowProcW(General.previous, w, msg, wp, lp);
}
}  // namespace

void GeneralPageCreate(HWND page) {
    General.page = page;
    General.previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(page, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GeneralPageProc)));
    CreateControls(kControls, sizeof(kControls) / sizeof(kControls[0]));
    if (HasOpacity()) {
        CreateControls(kOpacityControls, sizeof(kOpacityControls) / sizeof(kOpacityControls[0]));
        // The range before the minimum: a slider refuses a minimum above its
        // position, and a new one stands at 0.
        HWND slider = Item(IDC_GEN_OPACITY_SLIDER);
        SendMessageW(slider, SLM_SETMAX, kOpacityMax, 0);
        SendMessageW(slider, SLM_SETPOS, kOpacityMax, 0);
        SendMessageW(slider, SLM_SETMIN, kOpacityMin, 0);
    }
    DialogSetFonts(page, SkinGetFont(0), nullptr, 0);
    for (int id : kHeadings) SendDlgItemMessageW(page, id, WM_SETFONT, reinterpret_cast<WPARAM>(SkinGetFont(SKIN_BOLD)), FALSE);
}

void GeneralPageDestroy() { General.page = nullptr; }

void GeneralPageLoad() {
    if (!General.page) return;
    for (const RadioGroup& g : kGroups) LoadRadioGroup(g);
    LoadMonitors();
    LoadLanguages();
    if (HasOpacity()) {
        DWORD opacity = ConfigGetHost()->getOpacity();
        SettingsGetNumber(L"_opacity", &opacity);
        SendDlgItemMessageW(General.page, IDC_GEN_OPACITY_SLIDER, SLM_SETPOS, opacity, 0);
    }
    LoadCheck(IDC_GEN_AUTOHIDE_ENABLE, L"_autohide");
    LoadCheck(IDC_GEN_AUTOHIDE_CLICK, L"_autohide_click");
    EnableWindow(Item(IDC_GEN_AUTOHIDE_CLICK), Checked(IDC_GEN_AUTOHIDE_ENABLE));
}

void GeneralPageSave() {
    if (!General.page) return;
    for (const RadioGroup& g : kGroups) SaveRadioGroup(g);
    // Nothing selected means the stored index has no monitor now: it stays
    // as it is rather than becoming -1, which reads back as monitor 0.
    LRESULT monitor = SendDlgItemMessageW(General.page, IDC_GEN_MONITOR, CB_GETCURSEL, 0, 0);
    if (monitor >= 0) SettingsSetNumber(L"_monitor", static_cast<DWORD>(monitor));
    LRESULT language = SendDlgItemMessageW(General.page, IDC_GEN_LANGUAGES, CB_GETCURSEL, 0, 0);
    if (language >= 0)
        SettingsSetNumber(L"_language", static_cast<DWORD>(SendDlgItemMessageW(General.page, IDC_GEN_LANGUAGES,
                                                                               CB_GETITEMDATA, language, 0)));
    if (HasOpacity()) SettingsSetNumber(L"_opacity", ConfigGetHost()->getOpacity());
    SettingsSetBool(L"_autohide", Checked(IDC_GEN_AUTOHIDE_ENABLE) ? 1 : 0);
    SettingsSetBool(L"_autohide_click", Checked(IDC_GEN_AUTOHIDE_CLICK) ? 1 : 0);
}
