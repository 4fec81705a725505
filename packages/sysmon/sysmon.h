// SysMon: processor, memory, network, disk, clock and uptime modules.
// Built like the host: no C runtime, so every state below is plain data in
// zero-filled globals and nothing here has a constructor.
#ifndef SYSMON_SYSMON_H
#define SYSMON_SYSMON_H

#include <windows.h>

#include "tovara2_sdk.h"

enum ModuleKind { KIND_CPU, KIND_MEMORY, KIND_NETWORK, KIND_DISK, KIND_CLOCK, KIND_UPTIME, KIND_COUNT };

constexpr int kModuleHeight = 16;
constexpr int kBufferWidth = 400;  // widest module the back buffer can hold
constexpr int kHistory = 60;       // CPU samples kept: one minute at one a second
constexpr int kTextChars = 48;
constexpr int kPopupChars = 400;
constexpr int kFormatChars = 64;
constexpr int kInterfaceChars = 128;
constexpr int kDriveChars = 64;
constexpr int kMaxInterval = 3600;
constexpr COLORREF kDefaultColor = 0xFFFFFFFF;  // "use the default" in a colour setting

// Private module messages, above the host's MODULE_MSG_SETTINGS.
constexpr UINT SM_RELOAD = WM_APP + 0x40;   // re-read settings (posted by options and PKG_LOAD_SETTINGS)
constexpr UINT SM_RELEASE = WM_APP + 0x41;  // free GDI objects and the popup before the package exits

// Everything a module keeps in the host's settings, under its own node.
struct ModuleSettings {
    int interval;          // "interval": seconds between readings
    COLORREF textColor;    // "text_color": kDefaultColor = the system's button text
    COLORREF accentColor;  // "accent_color": kDefaultColor = the module's own
    BOOL graph;            // CPU "graph": show the history graph
    WCHAR iface[kInterfaceChars];      // network "interface": empty = every active one
    WCHAR drive[kDriveChars];          // disk "drive": empty = the system drive
    WCHAR timeFormat[kFormatChars];    // clock "time_format"
    WCHAR dateFormat[kFormatChars];    // clock "date_format"
};

struct CpuData {
    ULONGLONG idle, kernel, user;
    BOOL primed;
    BYTE history[kHistory];  // ring of percentages
    int count, head;
};

constexpr int kNetRows = 8;

struct NetData {
    BOOL loadTried;
    HMODULE library;
    FARPROC getIfTable, getIfEntry, getIfEntry2, indexToLuid;
    BYTE* table;  // GetIfTable buffer, grown only when an interface appears
    DWORD tableSize;
    // The interfaces counted at the last listing, read one by one until the
    // next (by LUID where the system has it: under Wine a third of the
    // table's cost; by index else).
    DWORD rows[kNetRows];
    ULONGLONG luids[kNetRows];
    int rowCount;
    BOOL listed, byLuid;
    DWORD listTick;
    DWORD lastIn, lastOut, lastTick;
    BOOL primed;
    ULONGLONG inRate, outRate, totalIn, totalOut;
    int active;
};

struct DiskData {
    WCHAR root[kDriveChars];
    ULONGLONG freeBytes, totalBytes;
};

struct Module {
    ModuleKind kind;
    ModuleRecord* record;
    HWND window;
    HWND popup;
    ModuleSettings settings;
    int countdown;
    int width;       // last width told to the host
    WCHAR measured[kTextChars];  // the text's template (digits as 0) when last measured; empty: measure again
    BOOL valid;      // last reading succeeded
    int percent;     // for the meter or graph; -1 when there is none
    WCHAR text[kTextChars];
    WCHAR popupText[kPopupChars];
    DWORD popupClosedTick;  // when a click on the module closed the popup by deactivating it
    // Created once at WM_CREATE, freed at WM_DESTROY or SM_RELEASE.
    HDC memDC;
    HBITMAP memBitmap, oldBitmap;
    HBRUSH accentBrush, warnBrush, trackBrush;
    HPEN framePen;
    // The popup's own back buffer, made when it opens and freed when it closes.
    HDC popupDC;
    HBITMAP popupBitmap, popupOldBitmap;
    CpuData cpu;
    NetData net;
    DiskData disk;
};

// What differs between the kinds; one table entry per kind (package.cpp).
struct ModuleKindOps {
    const WCHAR* name;   // module name: keys the settings and the bar order
    const WCHAR* title;  // first line of the popup
    COLORREF accent;     // default accent colour
    void (*sample)(Module* m);  // read the system and fill text/percent/valid
    void (*paint)(Module* m, HDC dc, int width);
    int (*measure)(Module* m, HDC dc);  // width the content needs
    void (*popupText)(Module* m, WCHAR* out, int cap);
    void (*release)(Module* m);         // kind's own resources, or null
};

extern const ModuleKindOps kCpuOps, kMemoryOps, kNetworkOps, kDiskOps, kClockOps, kUptimeOps;
const ModuleKindOps* KindOps(int kind);

// The host and this package's globals (package.cpp).
struct HostLink {
    TV2HostCallback callback;
    PackageRecord* package;
    HFONT(WINAPI* getFont)(WORD style);
    HINSTANCE instance;
};
extern HostLink g_host;
extern Module g_modules[KIND_COUNT];
HFONT HostFont(WORD style);
void ModuleApplySettings(Module* m);
Module* ModuleFromRecord(const void* record);

// rt.cpp: the little the C runtime would otherwise give.
extern "C" void* memset(void* dst, int value, size_t n);
extern "C" void* memcpy(void* dst, const void* src, size_t n);
int StrLength(const WCHAR* s);
void StrCopy(WCHAR* dst, const WCHAR* src, int cap);
void StrAppend(WCHAR* dst, const WCHAR* src, int cap);
bool StrEqual(const WCHAR* a, const WCHAR* b);
bool StrEqualNoCase(const WCHAR* a, const WCHAR* b);
bool StrParseInt(const WCHAR* s, int* out);
ULONGLONG U64Div(ULONGLONG n, ULONGLONG d);
void FormatBytes(ULONGLONG bytes, WCHAR* out, int cap);   // "3.1 GB"
void FormatRate(ULONGLONG perSecond, WCHAR* out, int cap);  // "12.3 KB/s"
void DigitsToZero(const WCHAR* src, WCHAR* dst, int cap);  // template text for stable widths
constexpr WCHAR kPlaceholder[] = L"\x2013";  // en dash

// settings.cpp
void SettingsDefaults(int kind, ModuleSettings* s);
void SettingsRead(const void* record, int kind, ModuleSettings* s);
void SettingsWrite(const void* record, int kind, const ModuleSettings* s);
void SettingWriteInt(const void* record, const WCHAR* key, int value);
void SettingWriteBool(const void* record, const WCHAR* key, BOOL value);
void SettingWriteString(const void* record, const WCHAR* key, const WCHAR* value);
void SettingWriteColor(const void* record, const WCHAR* key, COLORREF value);
COLORREF ModuleTextColor(const Module* m);
COLORREF ModuleAccentColor(const Module* m);

// draw.cpp: helpers every kind paints with, into the module's back buffer.
constexpr COLORREF kWarnColor = RGB(200, 40, 40);
constexpr COLORREF kSendColor = RGB(214, 110, 0);
int DrawLabel(HDC dc, int x, const WCHAR* text, COLORREF color, WORD fontStyle);  // returns the right edge
int TextWidth(HDC dc, const WCHAR* text, WORD fontStyle);
int TemplateWidth(HDC dc, const WCHAR* text, WORD fontStyle);  // width with every digit as 0
void DrawMeter(Module* m, HDC dc, int x, int width, int percent);
void DrawGraph(Module* m, HDC dc, int x, int width);
void DrawArrow(HDC dc, int x, bool up, COLORREF color);
constexpr int kMeterWidth = 36;
constexpr int kGraphWidth = kHistory + 2;
constexpr int kArrowWidth = 7;
constexpr int kGap = 4;
constexpr int kPad = 2;

// popup.cpp
bool PopupRegisterClass();
void PopupUnregisterClass();
void PopupToggle(Module* m);
void PopupRefresh(Module* m);
void PopupClose(Module* m);

// options.cpp
bool OptionsRegisterClass();
void OptionsUnregisterClass();
void OptionsShow(const ModuleRecord* record, HWND panel);
void OptionsHide(const ModuleRecord* record);
void OptionsCloseAll();

// network.cpp and disk.cpp, for the options lists.
void NetworkListInterfaces(HWND combo);
void DiskListDrives(HWND combo);
void DiskSystemRoot(WCHAR* out, int cap);

#endif
