// The package entry point, module registration and the module window
// procedure that every kind shares.
#include "sysmon.h"

HostLink g_host;
Module g_modules[KIND_COUNT];

static const PackageInfo kInfo = {L"System Monitor", L"Tovara2 developers", nullptr};

static const ModuleKindOps* const kKinds[KIND_COUNT] = {&kCpuOps,  &kMemoryOps, &kNetworkOps,
                                                        &kDiskOps, &kClockOps,  &kUptimeOps};

const ModuleKindOps* KindOps(int kind) { return kKinds[kind]; }

HFONT HostFont(WORD style) {
    HFONT font = g_host.getFont ? g_host.getFont(style) : nullptr;
    return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

Module* ModuleFromRecord(const void* record) {
    if (!record) return nullptr;
    for (int k = 0; k < KIND_COUNT; ++k)
        if (g_modules[k].record == record) return &g_modules[k];
    return nullptr;
}

static void ModuleCreateGdi(Module* m) {
    if (m->memDC) return;
    HDC screen = GetDC(m->window);
    m->memDC = CreateCompatibleDC(screen);
    m->memBitmap = CreateCompatibleBitmap(screen, kBufferWidth, kModuleHeight);
    ReleaseDC(m->window, screen);
    m->oldBitmap = static_cast<HBITMAP>(SelectObject(m->memDC, m->memBitmap));
    m->trackBrush = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
    m->warnBrush = CreateSolidBrush(kWarnColor);
    m->framePen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
}

static void ModuleReleaseGdi(Module* m) {
    if (m->memDC) {
        SelectObject(m->memDC, m->oldBitmap);
        DeleteDC(m->memDC);
    }
    if (m->memBitmap) DeleteObject(m->memBitmap);
    if (m->accentBrush) DeleteObject(m->accentBrush);
    if (m->trackBrush) DeleteObject(m->trackBrush);
    if (m->warnBrush) DeleteObject(m->warnBrush);
    if (m->framePen) DeleteObject(m->framePen);
    m->memDC = nullptr;
    m->memBitmap = m->oldBitmap = nullptr;
    m->accentBrush = m->trackBrush = m->warnBrush = nullptr;
    m->framePen = nullptr;
}

// Tells the host only about real changes: every width change costs the
// whole bar a layout pass.
static void ModuleFitWidth(Module* m) {
    if (!m->memDC) return;
    // A module's width depends on its settings and on its text only through
    // the text's template (every kind measures digits as 0): a clock that
    // ticks from 12:00:01 to 12:00:02 needs no measuring.
    WCHAR key[kTextChars];
    DigitsToZero(m->text, key, kTextChars);
    if (m->measured[0] && StrEqual(key, m->measured)) return;
    StrCopy(m->measured, key, kTextChars);
    int width = KindOps(m->kind)->measure(m, m->memDC) + 2 * kPad;
    if (width > kBufferWidth) width = kBufferWidth;
    if (width == m->width || !m->record || !g_host.callback) return;
    m->width = width;
    g_host.callback(HC_SET_MODULE_WIDTH, m->record, static_cast<UINT_PTR>(width), 0);
}

// Whether any part of the module can be seen: the bar collapsed by autohide
// shrinks to a sliver that clips its modules away entirely, and the
// exposing expansion repaints them. Told from the window rectangles, which
// the system keeps in the process: asking for a DC's clip box instead costs
// a DC, and under Wine a server round trip and a font set-up, every second.
static bool ModuleInSight(HWND window) {
    HWND bar = GetParent(window);
    if (!IsWindowVisible(window)) return false;
    if (!bar) return true;
    RECT own, client, both;
    GetWindowRect(window, &own);
    GetClientRect(bar, &client);
    MapWindowPoints(bar, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return IntersectRect(&both, &own, &client) != FALSE;
}

// Most ticks change nothing a user can see (a disk's free space, a network
// idle at zero, memory within the same percent): those cost no repaint. The
// CPU graph moves on every reading.
static void ModuleRefresh(Module* m) {
    WCHAR before[kTextChars];
    StrCopy(before, m->text, kTextChars);
    int percent = m->percent;
    BOOL valid = m->valid;
    KindOps(m->kind)->sample(m);
    bool changed = (m->kind == KIND_CPU && m->settings.graph) || percent != m->percent || valid != m->valid ||
                   lstrcmpW(before, m->text) != 0;
    if (changed) {
        ModuleFitWidth(m);
        if (ModuleInSight(m->window)) InvalidateRect(m->window, nullptr, FALSE);
    }
    PopupRefresh(m);
}

// Seconds between readings. Free disk space moves slowly and costs the
// system a volume query each time, so it is read at most twice a minute
// (and at once whenever the settings change); the other figures follow the
// setting.
static int ModuleInterval(const Module* m) {
    const int kDiskSeconds = 30;
    int interval = m->settings.interval;
    return m->kind == KIND_DISK && interval < kDiskSeconds ? kDiskSeconds : interval;
}

// Colours may change with the settings; the accent brush is the only GDI
// object that depends on them.
void ModuleApplySettings(Module* m) {
    if (m->accentBrush) DeleteObject(m->accentBrush);
    m->accentBrush = CreateSolidBrush(ModuleAccentColor(m));
    m->countdown = ModuleInterval(m);
    m->measured[0] = 0;  // labels, drives and the graph change widths
    m->cpu.primed = FALSE;  // intervals and interfaces change what a delta means
    m->net.primed = FALSE;
    m->net.listed = FALSE;
}

// A rate needs two readings, so the network's first one only primes its
// counters and shows the placeholder. It is taken just after the module has
// painted (a timer comes after WM_PAINT): that first reading loads the
// interface library, which held up the bar's first full paint at start-up.
// Where the timer cannot be set (a load on another thread) it is taken now.
constexpr UINT_PTR kPrimeTimer = 1;

static void ModuleLoad(Module* m) {
    SettingsRead(m->record, m->kind, &m->settings);
    ModuleApplySettings(m);
    if (m->kind == KIND_NETWORK && SetTimer(m->window, kPrimeTimer, 1, nullptr)) {
        m->valid = FALSE;
        m->percent = -1;
        StrCopy(m->text, kPlaceholder, kTextChars);
    } else {
        KindOps(m->kind)->sample(m);  // rates only prime their counters here
    }
    ModuleFitWidth(m);
    InvalidateRect(m->window, nullptr, FALSE);
    PopupRefresh(m);
}

static void ModuleOnCreate(Module* m, HWND window) {
    m->window = window;
    UINT_PTR record = 0;
    // During registration the host calls us before it has handed out the record.
    if (g_host.callback &&
        g_host.callback(HC_MODULE_FROM_WINDOW, nullptr, reinterpret_cast<UINT_PTR>(window),
                        reinterpret_cast<UINT_PTR>(&record)) == HC_OK &&
        record)
        m->record = reinterpret_cast<ModuleRecord*>(record);
    m->width = m->record ? m->record->descriptor.width : 0;
    m->percent = -1;
    StrCopy(m->text, kPlaceholder, kTextChars);
    ModuleCreateGdi(m);
    SettingsRead(m->record, m->kind, &m->settings);
    ModuleApplySettings(m);
}

static void ModuleRelease(Module* m) {
    PopupClose(m);
    if (KindOps(m->kind)->release) KindOps(m->kind)->release(m);
    ModuleReleaseGdi(m);
}

static void ModuleOnPaint(Module* m, HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    if (m->memDC) {
        RECT all = {0, 0, client.right < kBufferWidth ? client.right : kBufferWidth, kModuleHeight};
        FillRect(m->memDC, &all, GetSysColorBrush(COLOR_BTNFACE));
        KindOps(m->kind)->paint(m, m->memDC, client.right);
        BitBlt(dc, 0, 0, client.right, client.bottom, m->memDC, 0, 0, SRCCOPY);
    }
    EndPaint(window, &ps);
}

static LRESULT ModuleOnGetText(Module* m, WPARAM cap, LPARAM out) {
    WCHAR* buf = reinterpret_cast<WCHAR*>(out);
    if (!buf || !cap) return 0;
    StrCopy(buf, m->text, static_cast<int>(cap));
    return StrLength(buf);
}

static LRESULT ModuleProc(Module* m, HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: ModuleOnCreate(m, w); return 0;
    case MODULE_MSG_SETTINGS:
        if (wp == SETTINGS_LOAD) ModuleLoad(m);
        else if (wp == SETTINGS_SAVE) SettingsWrite(m->record, m->kind, &m->settings);
        return 0;
    case SM_RELOAD: ModuleLoad(m); return 0;
    case SM_RELEASE: ModuleRelease(m); return 1;
    // Handled messages answer non-zero: the host gives a module's zero to
    // the default procedure, whose WM_PAINT would begin and end an empty
    // paint (a DC and server round trips) after every real one.
    case WM_TIMER:
        if (wp == kPrimeTimer) {
            KillTimer(w, kPrimeTimer);
            KindOps(m->kind)->sample(m);
            PopupRefresh(m);
            return 1;
        }
        if (wp != TV2_MODULE_TIMER_ID) return 0;
        if (--m->countdown <= 0) {
            m->countdown = ModuleInterval(m);
            ModuleRefresh(m);
        }
        return 1;
    case WM_PAINT: ModuleOnPaint(m, w); return 1;
    case WM_ERASEBKGND: return 1;  // the paint covers every pixel
    case WM_GETTEXT: return ModuleOnGetText(m, wp, lp);
    case WM_GETTEXTLENGTH: return StrLength(m->text);
    case WM_LBUTTONDOWN: PopupToggle(m); return 0;
    case WM_DESTROY:
        ModuleRelease(m);
        m->window = nullptr;
        return 0;
    }
    return 0;
}

template <int K>
static LRESULT CALLBACK KindWindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    return ModuleProc(&g_modules[K], w, msg, wp, lp);
}

static const WNDPROC kProcs[KIND_COUNT] = {KindWindowProc<0>, KindWindowProc<1>, KindWindowProc<2>,
                                           KindWindowProc<3>, KindWindowProc<4>, KindWindowProc<5>};

static UINT_PTR PackageInit(PackageRecord* package, TV2HostCallback callback) {
    if (!callback) return 0;
    memset(g_modules, 0, sizeof(g_modules));
    g_host.callback = callback;
    g_host.package = package;
    TV2FontTable fonts;
    memset(&fonts, 0, sizeof(fonts));
    fonts.size = TV2_FONT_TABLE_SIZE;
    if (callback(HC_GET_FONT_TABLE, nullptr, reinterpret_cast<UINT_PTR>(&fonts), 0) == HC_OK) g_host.getFont = fonts.GetFont;
    PopupRegisterClass();
    OptionsRegisterClass();
    int registered = 0;
    for (int k = 0; k < KIND_COUNT; ++k) {
        g_modules[k].kind = static_cast<ModuleKind>(k);
        ModuleDescriptor d;
        memset(&d, 0, sizeof(d));
        StrCopy(d.name, KindOps(k)->name, TV2_MODULE_NAME_CHARS);
        d.windowProc = kProcs[k];
        d.width = 60;
        d.userData = static_cast<DWORD>(k);
        d.showOnCreate = 1;
        ModuleRecord* record = nullptr;
        if (callback(HC_REGISTER_MODULE, package, reinterpret_cast<UINT_PTR>(&d), reinterpret_cast<UINT_PTR>(&record)) ==
                HC_OK &&
            record) {
            g_modules[k].record = record;
            ++registered;
        }
    }
    return registered > 0;
}

// Runs on the host's loader thread while the module windows live on its
// plug-in thread, which never waits for the loader: a bounded send lets each
// module free what it made on its own thread before this code is unloaded.
static void PackageExit() {
    for (int k = 0; k < KIND_COUNT; ++k) {
        Module* m = &g_modules[k];
        if (m->window && IsWindow(m->window)) {
            DWORD_PTR result = 0;
            SendMessageTimeoutW(m->window, SM_RELEASE, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, 3000, &result);
        }
    }
    OptionsCloseAll();
    PopupUnregisterClass();
    OptionsUnregisterClass();
    g_host.callback = nullptr;
    g_host.getFont = nullptr;
}

extern "C" __declspec(dllexport) UINT_PTR WINAPI TV2PackageProc(UINT message, UINT_PTR arg1, UINT_PTR arg2) {
    switch (message) {
    case PKG_GET_INFO: return reinterpret_cast<UINT_PTR>(&kInfo);
    case PKG_INIT: return PackageInit(reinterpret_cast<PackageRecord*>(arg1), reinterpret_cast<TV2HostCallback>(arg2));
    case PKG_EXIT: PackageExit(); return 0;
    case PKG_LOAD_SETTINGS:
        for (int k = 0; k < KIND_COUNT; ++k)
            if (g_modules[k].window) PostMessageW(g_modules[k].window, SM_RELOAD, 0, 0);
        return 0;
    case PKG_SAVE_SETTINGS:
        // Only active modules hold loaded settings; an inactive one would
        // overwrite the user's values with defaults.
        for (int k = 0; k < KIND_COUNT; ++k)
            if (g_modules[k].window) SettingsWrite(g_modules[k].record, k, &g_modules[k].settings);
        return 0;
    case PKG_SHOW_OPTIONS: OptionsShow(reinterpret_cast<const ModuleRecord*>(arg1), reinterpret_cast<HWND>(arg2)); return 0;
    case PKG_HIDE_OPTIONS: OptionsHide(reinterpret_cast<const ModuleRecord*>(arg1)); return 0;
    }
    return 0;
}

extern "C" BOOL WINAPI DllEntry(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_host.instance = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
