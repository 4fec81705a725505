// The bar's five settings: reading them, writing them, and following the
// store as profiles switch and host keys are written.
#include "core/runtime/app_state.h"
#include "core/bar/bar_behaviours.h"
#include "core/bar/bar_window.h"
#include "core/bar/monitors.h"
#include "core/runtime/memory.h"
#include "core/runtime/wstr.h"
#include "settings/settings_store.h"

namespace {
bool KeyIs(const WCHAR* key, const WCHAR* name) { return !key || StrCompareNoCaseN(key, name, -1) == 0; }
}  // namespace

void BarLoadSettings(const WCHAR* key) {
    if (KeyIs(key, L"_position")) {
        Bar.position = BAR_TOP;
        WCHAR* text = nullptr;
        if (SettingsGetString(L"_position", &text) == 0 && text) {
            if (StrCompareNoCaseN(text, L"bottom", -1) == 0) Bar.position = BAR_BOTTOM;
        }
        if (text) MemFree(text);
    }
    if (KeyIs(key, L"_opacity")) {
        DWORD value = 100;
        SettingsGetNumber(L"_opacity", &value);
        BarSetOpacity(value);
    }
    if (KeyIs(key, L"_monitor")) {
        MonitorsRefresh();
        DWORD index = 0;
        if (SettingsGetNumber(L"_monitor", &index) != 0 || index >= MonitorsGetCount()) index = MonitorsGetPrimary();
        Bar.monitorIndex = index;
    }
    if (KeyIs(key, L"_autohide")) {
        DWORD value = 0;
        if (SettingsGetBool(L"_autohide", &value) != 0) value = 0;
        Bar.autohide = value;
    }
    if (KeyIs(key, L"_autohide_click")) {
        DWORD value = 0;
        if (SettingsGetBool(L"_autohide_click", &value) != 0) value = 0;
        Bar.autohideClick = value;
    }
    BarReposition();
}

void BarSaveSettings() {
    SettingsSetString(L"_position", BarRestingPosition() == BAR_BOTTOM ? L"bottom" : L"top");
    SettingsSetNumber(L"_opacity", BarRestingOpacity());
    SettingsSetNumber(L"_monitor", Bar.monitorIndex);
    SettingsSetBool(L"_autohide", Bar.autohide);
    SettingsSetBool(L"_autohide_click", Bar.autohideClick);
}

void BarOnSettingsEvent(UINT code, const WCHAR* key) {
    switch (LOWORD(code)) {
    case SN_PROFILE_LEAVING: BarSaveSettings(); break;
    case SN_PROFILE_CHANGED: BarLoadSettings(nullptr); break;
    case SN_SETTING_CHANGED:
        if (key && key[0] == L'_') BarLoadSettings(key);
        break;
    }
}
