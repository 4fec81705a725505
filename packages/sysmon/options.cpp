// Option controls built into the host's options panel. They live in a
// container window of our own so that their notifications come to us; each
// change is written through the host callback at once and the module (on
// the host's plug-in thread) is told to re-read its settings. The interval
// slider and the defaults button are the host's own controls.
#include "sysmon.h"

static const WCHAR kOptionsClass[] = L"SysMonOptions";

enum OptionId {
    ID_INTERVAL = 100,
    ID_TEXT_COLOR,
    ID_ACCENT_COLOR,
    ID_GRAPH,
    ID_INTERFACE,
    ID_DRIVE,
    ID_TIME_FORMAT,
    ID_DATE_FORMAT,
    ID_INTERVAL_SLIDER,
    ID_DEFAULTS,
};

// The slider covers the usual intervals; longer ones are typed.
constexpr int kSliderMaxInterval = 60;
// Posted to the container by the defaults button: build the page again.
constexpr UINT OM_REBUILD = WM_APP + 1;

struct OptionsState {
    HWND window;
    int kind;  // KIND_COUNT: the package's own page
    const ModuleRecord* record;
    ModuleSettings settings;
    BOOL building;  // controls being filled: their notifications are not changes
};

static OptionsState g_options[KIND_COUNT + 1];

struct NamedColor {
    const WCHAR* name;
    COLORREF color;
};

static const NamedColor kColors[] = {
    {L"Default", kDefaultColor},       {L"Black", RGB(0, 0, 0)},        {L"Dark grey", RGB(80, 80, 80)},
    {L"Navy", RGB(0, 0, 128)},         {L"Blue", RGB(52, 120, 190)},    {L"Teal", RGB(0, 128, 128)},
    {L"Green", RGB(46, 139, 87)},      {L"Olive", RGB(128, 128, 0)},    {L"Orange", RGB(214, 110, 0)},
    {L"Red", RGB(200, 40, 40)},        {L"Purple", RGB(128, 0, 128)},   {L"White", RGB(255, 255, 255)},
};

constexpr int kRowHeight = 28;
constexpr int kLabelWidth = 110;
constexpr int kControlX = 8 + kLabelWidth + 6;

static OptionsState* StateOf(HWND w) { return reinterpret_cast<OptionsState*>(GetWindowLongPtrW(w, GWLP_USERDATA)); }

static HWND AddControl(HWND parent, const WCHAR* cls, const WCHAR* text, DWORD style, DWORD exStyle, int x, int y, int w,
                       int h, int id) {
    // The host registers its controls under its own instance, so they are
    // found by that one; the system's classes are found under any.
    HWND c = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (c) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(HostFont(0)), FALSE);
    return c;
}

static void AddLabel(HWND parent, int row, const WCHAR* text) {
    AddControl(parent, L"STATIC", text, SS_LEFT | SS_NOPREFIX, 0, 8, 8 + row * kRowHeight + 4, kLabelWidth, 18, 0);
}

static HWND AddEdit(HWND parent, int row, int x, int width, int id, const WCHAR* text, DWORD style) {
    HWND edit = AddControl(parent, L"EDIT", text, WS_TABSTOP | ES_AUTOHSCROLL | style, WS_EX_CLIENTEDGE, x,
                           8 + row * kRowHeight, width, 22, id);
    SendMessageW(edit, EM_LIMITTEXT, kFormatChars - 1, 0);
    return edit;
}

static HWND AddCombo(HWND parent, int row, int width, int id, DWORD style) {
    return AddControl(parent, L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | style, 0, kControlX, 8 + row * kRowHeight,
                      width, 220, id);
}

static void AddColorCombo(HWND parent, int row, int id, COLORREF current) {
    HWND combo = AddCombo(parent, row, 140, id, CBS_DROPDOWNLIST);
    int selected = -1;
    for (const NamedColor& c : kColors) {
        LRESULT i = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(c.name));
        SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(i), static_cast<LPARAM>(c.color));
        if (c.color == current) selected = static_cast<int>(i);
    }
    if (selected < 0) {
        // A colour set by hand in the settings file stays selectable.
        WCHAR name[32];
        wsprintfW(name, L"Custom #%02X%02X%02X", GetRValue(current), GetGValue(current), GetBValue(current));
        LRESULT i = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(i), static_cast<LPARAM>(current));
        selected = static_cast<int>(i);
    }
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

static void BuildModuleOptions(HWND w, OptionsState* s) {
    const ModuleSettings& set = s->settings;
    int row = 0;
    WCHAR number[16];
    wsprintfW(number, L"%d", set.interval);
    AddLabel(w, row, L"Update every");
    HWND slider = AddControl(w, TV2SLIDER_CLASS_NAME, nullptr, WS_TABSTOP | SLS_THUMB, 0, kControlX,
                             8 + row * kRowHeight + 3, 120, 16, ID_INTERVAL_SLIDER);
    SendMessageW(slider, SLM_SETMAX, kSliderMaxInterval, 0);
    SendMessageW(slider, SLM_SETMIN, 1, 0);
    SendMessageW(slider, SLM_SETPOS, set.interval < kSliderMaxInterval ? set.interval : kSliderMaxInterval, 0);
    AddEdit(w, row, kControlX + 126, 48, ID_INTERVAL, number, ES_NUMBER);
    AddControl(w, L"STATIC", L"seconds", SS_LEFT, 0, kControlX + 180, 8 + row * kRowHeight + 4, 80, 18, 0);
    ++row;
    AddLabel(w, row, L"Text colour");
    AddColorCombo(w, row++, ID_TEXT_COLOR, set.textColor);
    if (s->kind != KIND_CLOCK && s->kind != KIND_UPTIME) {
        AddLabel(w, row, L"Accent colour");
        AddColorCombo(w, row++, ID_ACCENT_COLOR, set.accentColor);
    }
    switch (s->kind) {
    case KIND_CPU: {
        HWND check = AddControl(w, L"BUTTON", L"Show the last minute as a graph", WS_TABSTOP | BS_AUTOCHECKBOX, 0,
                                kControlX, 8 + row * kRowHeight + 2, 240, 20, ID_GRAPH);
        SendMessageW(check, BM_SETCHECK, set.graph ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
    }
    case KIND_NETWORK: {
        AddLabel(w, row, L"Interface");
        HWND combo = AddCombo(w, row, 240, ID_INTERFACE, CBS_DROPDOWNLIST);
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"All active interfaces"));
        NetworkListInterfaces(combo);
        int selected = 0;
        if (set.iface[0]) {
            LRESULT i = SendMessageW(combo, CB_FINDSTRINGEXACT, 0, reinterpret_cast<LPARAM>(set.iface));
            // An interface that is gone now stays chosen, so it counts again when it returns.
            if (i == CB_ERR) i = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(set.iface));
            selected = static_cast<int>(i);
        }
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
        break;
    }
    case KIND_DISK: {
        AddLabel(w, row, L"Drive");
        HWND combo = AddCombo(w, row, 140, ID_DRIVE, CBS_DROPDOWN | CBS_AUTOHSCROLL);
        DiskListDrives(combo);
        SendMessageW(combo, CB_LIMITTEXT, kDriveChars - 1, 0);
        SetWindowTextW(combo, set.drive);
        break;
    }
    case KIND_CLOCK:
        AddLabel(w, row, L"Time format");
        AddEdit(w, row++, kControlX, 160, ID_TIME_FORMAT, set.timeFormat, 0);
        AddLabel(w, row, L"Date format");
        AddEdit(w, row++, kControlX, 160, ID_DATE_FORMAT, set.dateFormat, 0);
        AddControl(w, L"STATIC", L"HH hours, mm minutes, ss seconds, tt AM/PM; d day, dddd weekday, MMMM month, yyyy year.",
                   SS_LEFT | SS_NOPREFIX, 0, kControlX, 8 + row * kRowHeight, 280, 32, 0);
        row += 1;
        break;
    }
    AddControl(w, FANCYBUTTON_CLASS_NAME, L"Restore defaults", WS_TABSTOP, 0, 8, 8 + (row + 1) * kRowHeight + 4, 110,
               24, ID_DEFAULTS);
}

static void NotifyModule(OptionsState* s) {
    HWND window = g_modules[s->kind].window;
    if (window) PostMessageW(window, SM_RELOAD, 0, 0);
}

static COLORREF SelectedColor(HWND combo) {
    LRESULT i = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    return i == CB_ERR ? kDefaultColor : static_cast<COLORREF>(SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0));
}

static void ComboText(HWND combo, bool fromList, WCHAR* out, int cap) {
    out[0] = 0;
    LRESULT i = fromList ? SendMessageW(combo, CB_GETCURSEL, 0, 0) : CB_ERR;
    if (i != CB_ERR && SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) < cap)
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(out));
    else
        GetWindowTextW(combo, out, cap);
}

static void OnCommand(OptionsState* s, int id, int code, HWND control) {
    if (!s || s->building || !s->record) return;
    ModuleSettings& set = s->settings;
    const void* record = s->record;
    switch (id) {
    case ID_INTERVAL: {
        if (code != EN_CHANGE) return;
        WCHAR text[16];
        GetWindowTextW(control, text, 16);
        int value = 0;
        if (!StrParseInt(text, &value) || value < 1 || value > kMaxInterval) return;  // half-typed: wait for more
        set.interval = value;
        SettingWriteInt(record, L"interval", value);
        HWND slider = GetDlgItem(s->window, ID_INTERVAL_SLIDER);
        SendMessageW(slider, SLM_SETPOS, value < kSliderMaxInterval ? value : kSliderMaxInterval, 0);
        break;
    }
    case ID_INTERVAL_SLIDER: {
        // The edit box writes the value as if it had been typed.
        if (code != SLN_CHANGED) return;
        WCHAR number[16];
        wsprintfW(number, L"%u", static_cast<UINT>(SendMessageW(control, SLM_GETPOS, 0, 0)));
        SetDlgItemTextW(s->window, ID_INTERVAL, number);
        return;
    }
    case ID_DEFAULTS:
        if (code != FBN_CLICKED) return;
        SettingsDefaults(s->kind, &set);
        SettingsWrite(record, s->kind, &set);
        // Not now: the button that sent this is still in its handler.
        PostMessageW(s->window, OM_REBUILD, 0, 0);
        break;
    case ID_TEXT_COLOR:
    case ID_ACCENT_COLOR: {
        if (code != CBN_SELCHANGE) return;
        COLORREF c = SelectedColor(control);
        (id == ID_TEXT_COLOR ? set.textColor : set.accentColor) = c;
        SettingWriteColor(record, id == ID_TEXT_COLOR ? L"text_color" : L"accent_color", c);
        break;
    }
    case ID_GRAPH:
        if (code != BN_CLICKED) return;
        set.graph = SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
        SettingWriteBool(record, L"graph", set.graph);
        break;
    case ID_INTERFACE:
        if (code != CBN_SELCHANGE) return;
        if (SendMessageW(control, CB_GETCURSEL, 0, 0) <= 0)
            set.iface[0] = 0;
        else
            ComboText(control, true, set.iface, kInterfaceChars);
        SettingWriteString(record, L"interface", set.iface);
        break;
    case ID_DRIVE:
        if (code != CBN_SELCHANGE && code != CBN_EDITCHANGE) return;
        ComboText(control, code == CBN_SELCHANGE, set.drive, kDriveChars);
        SettingWriteString(record, L"drive", set.drive);
        break;
    case ID_TIME_FORMAT:
    case ID_DATE_FORMAT: {
        if (code != EN_CHANGE) return;
        WCHAR* target = id == ID_TIME_FORMAT ? set.timeFormat : set.dateFormat;
        GetWindowTextW(control, target, kFormatChars);
        SettingWriteString(record, id == ID_TIME_FORMAT ? L"time_format" : L"date_format", target);
        break;
    }
    default: return;
    }
    NotifyModule(s);
}

static LRESULT CALLBACK OptionsProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_NCCREATE:
        SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
        break;
    case WM_COMMAND: OnCommand(StateOf(w), LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp)); return 0;
    case OM_REBUILD:
        if (OptionsState* s = StateOf(w)) {
            if (s->window == w) OptionsShow(s->record, GetParent(w));
        }
        return 0;
    case WM_CTLCOLORSTATIC:
        // Labels on the panel's face rather than a window-coloured box.
        SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_DESTROY:
        if (OptionsState* s = StateOf(w)) {
            if (s->window == w) s->window = nullptr;
        }
        return 0;
    }
    return DefWindowProcW(w, msg, wp, lp);
}

bool OptionsRegisterClass() {
    WNDCLASSEXW wc;
    memset(&wc, 0, sizeof(wc));
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = OptionsProc;
    wc.hInstance = g_host.instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kOptionsClass;
    return RegisterClassExW(&wc) != 0;
}

void OptionsUnregisterClass() { UnregisterClassW(kOptionsClass, g_host.instance); }

static int SlotOf(const ModuleRecord* record) {
    if (!record) return KIND_COUNT;
    Module* m = ModuleFromRecord(record);
    return m ? m->kind : -1;
}

void OptionsShow(const ModuleRecord* record, HWND panel) {
    int slot = SlotOf(record);
    if (slot < 0 || !panel || !IsWindow(panel)) return;
    OptionsState* s = &g_options[slot];
    if (s->window) DestroyWindow(s->window);  // shown twice: rebuild from the settings
    memset(s, 0, sizeof(*s));
    s->kind = slot;
    s->record = record;
    s->building = TRUE;
    RECT area;
    GetClientRect(panel, &area);
    s->window = CreateWindowExW(WS_EX_CONTROLPARENT, kOptionsClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                area.right, area.bottom, panel, nullptr, g_host.instance, s);
    if (!s->window) return;
    if (slot == KIND_COUNT) {
        AddControl(s->window, L"STATIC",
                   L"System Monitor shows processor load, memory, network throughput, disk space, the time and the "
                   L"uptime. Select one of its modules to change how often it reads, its colours and what it shows.",
                   SS_LEFT | SS_NOPREFIX, 0, 8, 8, area.right > 40 ? area.right - 16 : 300, 64, 0);
    } else {
        SettingsRead(record, slot, &s->settings);
        BuildModuleOptions(s->window, s);
    }
    s->building = FALSE;
}

void OptionsHide(const ModuleRecord* record) {
    int slot = SlotOf(record);
    if (slot < 0) return;
    if (g_options[slot].window) DestroyWindow(g_options[slot].window);
    memset(&g_options[slot], 0, sizeof(g_options[slot]));
}

// The options run on the configuration window's thread; a package leaving
// while they are shown closes them there.
void OptionsCloseAll() {
    for (OptionsState& s : g_options) {
        if (!s.window || !IsWindow(s.window)) continue;
        if (GetWindowThreadProcessId(s.window, nullptr) == GetCurrentThreadId()) {
            DestroyWindow(s.window);
        } else {
            DWORD_PTR result = 0;
            SendMessageTimeoutW(s.window, WM_CLOSE, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, 3000, &result);
        }
        memset(&s, 0, sizeof(s));
    }
}
