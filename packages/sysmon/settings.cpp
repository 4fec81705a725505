// The modules' settings, kept by the host under each module's node.
#include "sysmon.h"

static UINT Call(UINT code, const void* record, UINT_PTR a, UINT_PTR b) {
    if (!g_host.callback) return HC_ERR_NULL_ARGUMENT;
    return g_host.callback(code, const_cast<void*>(record), a, b);
}

static bool ReadInt(const void* record, const WCHAR* key, int* out) {
    DWORD value = 0;
    if (Call(HC_GET_INT, record, reinterpret_cast<UINT_PTR>(key), reinterpret_cast<UINT_PTR>(&value)) != HC_OK)
        return false;
    *out = static_cast<int>(value);
    return true;
}

static bool ReadBool(const void* record, const WCHAR* key, BOOL* out) {
    DWORD value = 0;
    if (Call(HC_GET_BOOL, record, reinterpret_cast<UINT_PTR>(key), reinterpret_cast<UINT_PTR>(&value)) != HC_OK)
        return false;
    *out = value ? TRUE : FALSE;
    return true;
}

// Keeps the default when the setting is missing or does not fit.
static void ReadString(const void* record, const WCHAR* key, WCHAR* out, int cap) {
    WCHAR* value = nullptr;
    if (Call(HC_GET_STRING, record, reinterpret_cast<UINT_PTR>(key), reinterpret_cast<UINT_PTR>(&value)) == HC_OK &&
        value) {
        if (StrLength(value) < cap) StrCopy(out, value, cap);
        HeapFree(GetProcessHeap(), 0, value);
    }
}

static COLORREF ReadColor(const void* record, const WCHAR* key) {
    int value = 0;
    if (!ReadInt(record, key, &value) || value < 0 || value > 0xFFFFFF) return kDefaultColor;
    return static_cast<COLORREF>(value);
}

void SettingsDefaults(int kind, ModuleSettings* s) {
    memset(s, 0, sizeof(*s));
    s->interval = 1;
    s->textColor = kDefaultColor;
    s->accentColor = kDefaultColor;
    s->graph = TRUE;
    if (kind == KIND_DISK) DiskSystemRoot(s->drive, kDriveChars);
    StrCopy(s->timeFormat, L"HH:mm:ss", kFormatChars);
    StrCopy(s->dateFormat, L"dddd, d MMMM yyyy", kFormatChars);
}

void SettingsRead(const void* record, int kind, ModuleSettings* s) {
    SettingsDefaults(kind, s);
    if (!record) return;
    int interval = 0;
    if (ReadInt(record, L"interval", &interval) && interval >= 1) s->interval = interval > kMaxInterval ? kMaxInterval : interval;
    s->textColor = ReadColor(record, L"text_color");
    s->accentColor = ReadColor(record, L"accent_color");
    switch (kind) {
    case KIND_CPU: ReadBool(record, L"graph", &s->graph); break;
    case KIND_NETWORK: ReadString(record, L"interface", s->iface, kInterfaceChars); break;
    case KIND_DISK:
        ReadString(record, L"drive", s->drive, kDriveChars);
        if (!s->drive[0]) DiskSystemRoot(s->drive, kDriveChars);
        break;
    case KIND_CLOCK:
        ReadString(record, L"time_format", s->timeFormat, kFormatChars);
        ReadString(record, L"date_format", s->dateFormat, kFormatChars);
        if (!s->timeFormat[0]) StrCopy(s->timeFormat, L"HH:mm:ss", kFormatChars);
        if (!s->dateFormat[0]) StrCopy(s->dateFormat, L"dddd, d MMMM yyyy", kFormatChars);
        break;
    }
}

void SettingWriteInt(const void* record, const WCHAR* key, int value) {
    Call(HC_SET_INT, record, reinterpret_cast<UINT_PTR>(key), static_cast<UINT_PTR>(static_cast<UINT>(value)));
}

void SettingWriteBool(const void* record, const WCHAR* key, BOOL value) {
    Call(HC_SET_BOOL, record, reinterpret_cast<UINT_PTR>(key), value ? 1 : 0);
}

void SettingWriteString(const void* record, const WCHAR* key, const WCHAR* value) {
    Call(HC_SET_STRING, record, reinterpret_cast<UINT_PTR>(key), reinterpret_cast<UINT_PTR>(value));
}

// A default colour is no setting at all, so a later change of the default
// reaches users who never picked one.
void SettingWriteColor(const void* record, const WCHAR* key, COLORREF value) {
    if (value == kDefaultColor)
        Call(HC_DELETE_SETTING, record, reinterpret_cast<UINT_PTR>(key), 0);
    else
        SettingWriteInt(record, key, static_cast<int>(value));
}

void SettingsWrite(const void* record, int kind, const ModuleSettings* s) {
    if (!record) return;
    SettingWriteInt(record, L"interval", s->interval);
    SettingWriteColor(record, L"text_color", s->textColor);
    SettingWriteColor(record, L"accent_color", s->accentColor);
    switch (kind) {
    case KIND_CPU: SettingWriteBool(record, L"graph", s->graph); break;
    case KIND_NETWORK: SettingWriteString(record, L"interface", s->iface); break;
    case KIND_DISK: SettingWriteString(record, L"drive", s->drive); break;
    case KIND_CLOCK:
        SettingWriteString(record, L"time_format", s->timeFormat);
        SettingWriteString(record, L"date_format", s->dateFormat);
        break;
    }
}

COLORREF ModuleTextColor(const Module* m) {
    return m->settings.textColor == kDefaultColor ? GetSysColor(COLOR_BTNTEXT) : m->settings.textColor;
}

COLORREF ModuleAccentColor(const Module* m) {
    return m->settings.accentColor == kDefaultColor ? KindOps(m->kind)->accent : m->settings.accentColor;
}
