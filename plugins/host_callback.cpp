#include "plugins/host_callback.h"

#include "core/runtime/memory.h"
#include "core/runtime/skin.h"
#include "core/runtime/wstr.h"
#include "plugins/layout.h"
#include "plugins/module.h"
#include "plugins/package.h"
#include "plugins/plugin_state.h"
#include "settings/settings_store.h"
#include "settings/xml.h"

namespace {
enum : UINT {
    HC_RESULT_OK = HC_OK,
    HC_RESULT_NULL = HC_ERR_NULL_ARGUMENT,
    HC_RESULT_RECORD = HC_ERR_RECORD,
    HC_RESULT_SETTING = HC_ERR_SETTING,
    HC_RESULT_REFUSED = HC_ERR_REFUSED,
    HC_RESULT_NO_WINDOW = HC_ERR_NO_WINDOW,
};

DWORD RecordTag(const void* record) { return *static_cast<const DWORD*>(record); }

// A module record the host handed out and still holds. Foreign, stale and
// package records are refused before anything reads them as modules.
ModuleRecord* AsModule(void* record) {
    ModuleRecord* m = static_cast<ModuleRecord*>(record);
    return ModuleIsListed(m) && m->size == TV2_MODULE_RECORD_TAG ? m : nullptr;
}

// Appends text to a heap string under construction.
WCHAR* Append(WCHAR* out, const WCHAR* text, int length) {
    CopyMemory(out, text, length * sizeof(WCHAR));
    return out + length;
}

// The settings path a package's path stands for, as a heap string; null when
// none can be formed.
WCHAR* ResolvePath(void* record, const WCHAR* path) {
    if (path[0] == L'/') return StrDup(path + 1);
    if (!record) return nullptr;
    const WCHAR* file = nullptr;
    WCHAR name[MODULE_NAME_MAX + 1];
    name[0] = 0;
    DWORD tag = RecordTag(record);
    if (tag == TV2_PACKAGE_RECORD_TAG) {
        file = static_cast<PackageRecord*>(record)->fileName;
    } else if (tag == TV2_MODULE_RECORD_TAG) {
        ModuleRecord* m = static_cast<ModuleRecord*>(record);
        if (!m->package) return nullptr;
        file = m->package->fileName;
        ModuleGetName(m, name);
    } else {
        return StrDup(path);
    }
    if (!file) return nullptr;
    int fl = StrLen(file), nl = StrLen(name), pl = StrLen(path);
    WCHAR* full = static_cast<WCHAR*>(MemAlloc((fl + nl + pl + 3) * sizeof(WCHAR)));
    WCHAR* out = Append(full, file, fl);
    *out++ = L'/';
    if (tag == TV2_MODULE_RECORD_TAG) {
        out = Append(out, name, nl);
        *out++ = L'/';
    }
    out = Append(out, path, pl);
    *out = 0;
    return full;
}

bool IsReserved(const WCHAR* resolved) {
    const WCHAR* last = resolved;
    for (const WCHAR* p = resolved; *p; p++)
        if (*p == L'/') last = p + 1;
    return *last == L'_';
}

// The checks every write and delete makes, in order; on success *resolved is
// the heap path to use.
UINT PrepareWrite(void* record, const WCHAR* path, WCHAR** resolved) {
    if (!record) return HC_RESULT_RECORD;
    if (!path) return HC_RESULT_NULL;
    if (path[0] == L'/') return HC_RESULT_REFUSED;
    *resolved = ResolvePath(record, path);
    if (!*resolved) return HC_RESULT_SETTING;
    if (IsReserved(*resolved)) {
        MemFree(*resolved);
        return HC_RESULT_REFUSED;
    }
    return HC_RESULT_OK;
}

UINT StoreResult(int result) { return result == 0 ? HC_RESULT_OK : HC_RESULT_SETTING; }

UINT SettingCall(UINT code, void* record, const WCHAR* path, UINT_PTR arg2) {
    WCHAR* resolved = nullptr;
    switch (code) {
    case HC_SETTING_EXISTS: {
        if (!path) return 1;  // as if it existed: the answer packages have always had
        resolved = ResolvePath(record, path);
        if (!resolved) return HC_RESULT_SETTING;
        UINT exists = SettingsExists(resolved) ? 1 : 0;
        MemFree(resolved);
        return exists;
    }
    case HC_GET_INT:
    case HC_GET_BOOL:
    case HC_GET_STRING: {
        if (!path || !arg2) return HC_RESULT_NULL;
        resolved = ResolvePath(record, path);
        if (!resolved) return HC_RESULT_SETTING;
        int r;
        if (code == HC_GET_INT) {
            r = SettingsGetNumber(resolved, reinterpret_cast<DWORD*>(arg2));
        } else if (code == HC_GET_BOOL) {
            r = SettingsGetBool(resolved, reinterpret_cast<DWORD*>(arg2));
        } else {
            WCHAR** out = reinterpret_cast<WCHAR**>(arg2);
            *out = nullptr;
            WCHAR* value = nullptr;
            r = SettingsGetString(resolved, &value);
            if (r == 0 && value) {
                // The package frees it with HeapFree, so it is not one of the
                // host's counted blocks.
                SIZE_T bytes = (StrLen(value) + 1) * sizeof(WCHAR);
                *out = static_cast<WCHAR*>(HeapAlloc(GetProcessHeap(), 0, bytes));
                if (*out) CopyMemory(*out, value, bytes);
            }
            if (value) MemFree(value);
        }
        MemFree(resolved);
        return StoreResult(r);
    }
    case HC_DELETE_SETTING:
    case HC_SET_INT:
    case HC_SET_BOOL:
    case HC_SET_STRING: {
        UINT check = PrepareWrite(record, path, &resolved);
        if (check != HC_RESULT_OK) return check;
        int r;
        if (code == HC_DELETE_SETTING)
            r = SettingsDelete(resolved);
        else if (code == HC_SET_INT)
            r = SettingsSetNumber(resolved, static_cast<DWORD>(arg2));
        else if (code == HC_SET_BOOL)
            r = SettingsSetBool(resolved, static_cast<DWORD>(arg2));
        else
            r = SettingsSetString(resolved, reinterpret_cast<const WCHAR*>(arg2));
        MemFree(resolved);
        return StoreResult(r);
    }
    }
    return HC_RESULT_OK;
}

UINT PlacePopup(void* record, RECT* rect, POINT* point) {
    if (!record || RecordTag(record) != TV2_MODULE_RECORD_TAG) return HC_RESULT_RECORD;
    if (!rect || !point) return HC_RESULT_NULL;
    ModuleRecord* m = AsModule(record);
    if (!m) return HC_RESULT_RECORD;
    if (!ModuleIsVisible(m)) return HC_RESULT_NO_WINDOW;
    ClientToScreen(m->window, point);
    LONG width = rect->right - rect->left, height = rect->bottom - rect->top;
    rect->left = point->x;
    rect->top = point->y;
    rect->right = point->x + width;
    rect->bottom = point->y + height;
    PluginSys.host.fitPopupRect(rect);
    return HC_RESULT_OK;
}
}  // namespace

UINT WINAPI HostCallback(UINT code, void* record, UINT_PTR arg1, UINT_PTR arg2) {
    switch (code) {
    case HC_GET_VERSION:
        if (!arg1 && !arg2) return HC_RESULT_NULL;
        if (arg1) *reinterpret_cast<DWORD*>(arg1) = TV2_INTERFACE_VERSION;
        if (arg2) *reinterpret_cast<DWORD*>(arg2) = TV2_HOST_VERSION;
        return HC_RESULT_OK;

    case HC_REGISTER_MODULE: {
        PackageRecord* package = static_cast<PackageRecord*>(record);
        if (package && (!PackageIsListed(package) || package->size != TV2_PACKAGE_RECORD_TAG)) return HC_RESULT_RECORD;
        ModuleRegistration request = {package, reinterpret_cast<const ModuleDescriptor*>(arg1),
                                      reinterpret_cast<ModuleRecord**>(arg2)};
        return static_cast<UINT>(ModuleRequest(PT_REGISTER_MODULE, reinterpret_cast<UINT_PTR>(&request)));
    }
    case HC_UNREGISTER_MODULE:
        return static_cast<UINT>(ModuleRequest(PT_UNREGISTER_MODULE, reinterpret_cast<UINT_PTR>(AsModule(record))));
    case HC_ACTIVATE_MODULE:
        return static_cast<UINT>(ModuleRequest(arg1 ? PT_ACTIVATE_MODULE : PT_DEACTIVATE_MODULE,
                                               reinterpret_cast<UINT_PTR>(AsModule(record))));
    case HC_SHOW_MODULE:
        ModuleRequest(arg1 ? PT_SHOW_MODULE : PT_HIDE_MODULE, reinterpret_cast<UINT_PTR>(AsModule(record)));
        return HC_RESULT_OK;
    case HC_SET_MODULE_WIDTH: {
        ModuleRecord* m = AsModule(record);
        if (!m) return HC_RESULT_RECORD;
        ModuleSetWidth(m, static_cast<LONG>(arg1));
        LayoutPost();
        return HC_RESULT_OK;
    }
    case HC_MODULE_FROM_WINDOW:
        if (!arg1 || !arg2) return HC_RESULT_NULL;
        *reinterpret_cast<UINT_PTR*>(arg2) =
            static_cast<UINT_PTR>(GetWindowLongPtrW(reinterpret_cast<HWND>(arg1), 0));
        return HC_RESULT_OK;
    case HC_GET_DESCRIPTOR: {
        ModuleRecord* m = AsModule(record);
        if (!m) return HC_RESULT_RECORD;
        if (!arg1) return HC_RESULT_NULL;
        CopyMemory(reinterpret_cast<void*>(arg1), &m->descriptor, sizeof(ModuleDescriptor));
        return HC_RESULT_OK;
    }
    case HC_GET_USER_DATA: {
        ModuleRecord* m = AsModule(record);
        if (!m) return HC_RESULT_RECORD;
        if (!arg1) return HC_RESULT_NULL;
        *reinterpret_cast<DWORD*>(arg1) = m->descriptor.userData;
        return HC_RESULT_OK;
    }

    case HC_SETTING_EXISTS:
    case HC_DELETE_SETTING:
    case HC_GET_INT:
    case HC_SET_INT:
    case HC_GET_BOOL:
    case HC_SET_BOOL:
    case HC_GET_STRING:
    case HC_SET_STRING:
        return SettingCall(code, record, reinterpret_cast<const WCHAR*>(arg1), arg2);

    case HC_GET_XML_TABLE:
        return static_cast<UINT>(XmlFillAccessTable(reinterpret_cast<XmlAccessTable*>(arg1)));
    case HC_GET_FONT_TABLE: {
        TV2FontTable* table = reinterpret_cast<TV2FontTable*>(arg1);
        if (!table || table->size != TV2_FONT_TABLE_SIZE) return HC_RESULT_NULL;
        table->version = 1;
        table->GetFont = SkinGetFont;
        return HC_RESULT_OK;
    }
    case HC_PLACE_POPUP:
        return PlacePopup(record, reinterpret_cast<RECT*>(arg1), reinterpret_cast<POINT*>(arg2));
    }
    return HC_RESULT_OK;
}
