// Typed reads and writes of settings, with the conversions between types.
#include "core/runtime/memory.h"
#include "core/runtime/wstr.h"
#include "settings/settings_state.h"

namespace {
const WCHAR kTrue[] = L"true";
const WCHAR kFalse[] = L"false";

// Reads share their argument checks: 1 for a null or empty path or a null
// address, 3 when the path names no setting.
int FindForRead(const WCHAR* path, const void* address, Setting** setting) {
    if (!path || !*path || !address) return 1;
    SettingsTarget target;
    if (!SettingsResolvePath(path, false, &target) || !target.setting) return 3;
    *setting = target.setting;
    return 0;
}

int FindForWrite(const WCHAR* path, Setting** setting) {
    if (!path || !*path) return 1;
    SettingsTarget target;
    if (!SettingsResolvePath(path, true, &target) || !target.setting) return 3;
    *setting = target.setting;
    return 0;
}

void NotifyWrite(const WCHAR* path) {
    if (!Store.quiet) SettingsNotify(SN_SETTING_CHANGED, path);
}

// Finds or makes the setting, changes it under the lock, then tells the
// listeners with the lock released.
template <typename Change>
int WriteSetting(const WCHAR* path, Change change) {
    {
        StoreLock lock;
        Setting* s = nullptr;
        int result = FindForWrite(path, &s);
        if (result != 0) return result;
        change(s);
    }
    NotifyWrite(path);
    return 0;
}
}  // namespace

// A setting of no known type (only a file can hold one) reads as missing for
// numbers and flags, so that callers fall back to their own defaults rather
// than to a zero nobody stored.
int SettingsGetNumber(const WCHAR* path, DWORD* value) {
    StoreLock lock;
    Setting* s = nullptr;
    int result = FindForRead(path, value, &s);
    if (result != 0) return result;
    switch (s->type) {
    case SETTING_NUM: *value = s->number; return 0;
    case SETTING_STRING: *value = SettingsParseNumber(s->string, false); return 0;
    case SETTING_BOOL: *value = s->flag ? 1 : 0; return 0;
    default: return 3;
    }
}

int SettingsGetBool(const WCHAR* path, DWORD* value) {
    StoreLock lock;
    Setting* s = nullptr;
    int result = FindForRead(path, value, &s);
    if (result != 0) return result;
    switch (s->type) {
    case SETTING_NUM: *value = s->number ? 1 : 0; return 0;
    case SETTING_STRING: *value = s->string && lstrcmpiW(s->string, kTrue) == 0 ? 1 : 0; return 0;
    case SETTING_BOOL: *value = s->flag; return 0;
    default: return 3;
    }
}

int SettingsGetString(const WCHAR* path, WCHAR** value) {
    if (!path || !*path || !value) return 1;
    *value = nullptr;
    StoreLock lock;
    Setting* s = nullptr;
    int result = FindForRead(path, value, &s);
    if (result != 0) return result;
    switch (s->type) {
    case SETTING_NUM: {
        WCHAR text[16];
        wsprintfW(text, L"%i", s->number);
        *value = StrDup(text);
        break;
    }
    case SETTING_STRING: *value = StrDup(s->string ? s->string : L""); break;
    case SETTING_BOOL: *value = StrDup(s->flag ? kTrue : kFalse); break;
    default: break;
    }
    return 0;
}

int SettingsSetNumber(const WCHAR* path, DWORD value) {
    return WriteSetting(path, [value](Setting* s) {
        s->type = SETTING_NUM;
        s->number = value;
    });
}

int SettingsSetBool(const WCHAR* path, DWORD value) {
    return WriteSetting(path, [value](Setting* s) {
        s->type = SETTING_BOOL;
        s->flag = value;
    });
}

int SettingsSetString(const WCHAR* path, const WCHAR* value) {
    if (!path || !*path || !value) return 1;
    return WriteSetting(path, [value](Setting* s) {
        // Copied before the old one goes: the caller may pass the stored string.
        WCHAR* copy = StrDup(value);
        if (s->string) MemFree(s->string);
        s->type = SETTING_STRING;
        s->string = copy;
    });
}

int SettingsDelete(const WCHAR* path) {
    if (!path || !*path) return 1;
    int result = 3;
    {
        StoreLock lock;
        SettingsTarget target;
        if (SettingsResolvePath(path, false, &target)) {
            if (target.node) {
                PtrArrayRemoveAt(target.parent->children, static_cast<UINT>(target.index));
                SettingsNodeFree(target.node);
            } else {
                PtrArrayRemoveAt(target.parent->settings, static_cast<UINT>(target.index));
                SettingFree(target.setting);
            }
            result = 0;
        }
    }
    if (!Store.quiet) SettingsNotify(SN_SETTING_DELETED, path);
    return result;
}

int SettingsExists(const WCHAR* path) {
    StoreLock lock;
    SettingsTarget target;
    return SettingsResolvePath(path, false, &target) ? 1 : 0;
}
