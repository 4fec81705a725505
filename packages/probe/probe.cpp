// Test package: registers <modules> modules (setting of its own node,
// default 1) of <width> pixels and reports every call the host makes into it
// as a line in <its DLL path>.log, so tests can see order and counts. Its
// file may be copied under several names; each copy is its own package. A
// copy whose file name holds a bracket takes that name (without ".dll") as
// its package name, for the tests of markup in names.
#include "../common/test_package.h"
#include <windows.h>

#include "tovara2_sdk.h"

namespace {
HINSTANCE g_self;
TV2HostCallback g_host;
PackageRecord* g_record;
const int kMaxModules = 16;
ModuleRecord* g_modules[kMaxModules];
int g_timers[kMaxModules];
int g_moduleCount;

WCHAR g_name[MAX_PATH] = L"Probe";
const PackageInfo kInfo = {g_name, L"Tovara2 tests", L"https://example.invalid/probe"};

void NameFromFile() {
    WCHAR path[MAX_PATH];
    DWORD n = GetModuleFileNameW(g_self, path, MAX_PATH);
    if (!n || n >= MAX_PATH) return;
    const WCHAR* file = path;
    for (const WCHAR* p = path; *p; p++)
        if (*p == L'\\') file = p + 1;
    bool bracket = false;
    for (const WCHAR* p = file; *p; p++) bracket = bracket || *p == L'[';
    if (!bracket) return;
    lstrcpyW(g_name, file);
    if (lstrlenW(g_name) > 4) g_name[lstrlenW(g_name) - 4] = 0;
}

#define Log(...) PackageLog(g_self, __VA_ARGS__)

int IndexOf(HWND w) {
    ModuleRecord* m = ModuleOfWindow(g_host, w);
    if (!m) return -1;
    int i = 0;
    for (const WCHAR* p = m->descriptor.name + 1; *p >= L'0' && *p <= L'9'; p++) i = i * 10 + (*p - L'0');
    return i;
}

LRESULT CALLBACK ModuleProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    int i = IndexOf(w);
    switch (msg) {
    case WM_CREATE:
        Log("WM_CREATE M%d parent_is_bar=%d thread=%lu", i, GetParent(w) != nullptr, GetCurrentThreadId());
        return 0;
    case MODULE_MSG_SETTINGS:
        if (wp == SETTINGS_LOAD) Log("SETTINGS_LOAD M%d", i);
        if (wp == SETTINGS_SAVE) {
            Log("SETTINGS_SAVE M%d", i);
            if (i >= 0 && i < g_moduleCount) {
                DWORD saves = 0;
                g_host(HC_GET_INT, g_modules[i], reinterpret_cast<UINT_PTR>(L"saves"), reinterpret_cast<UINT_PTR>(&saves));
                g_host(HC_SET_INT, g_modules[i], reinterpret_cast<UINT_PTR>(L"saves"), saves + 1);
            }
        }
        return 0;
    case WM_TIMER:
        if (wp == TV2_MODULE_TIMER_ID && i >= 0 && i < kMaxModules && g_timers[i]++ < 3)
            Log("TIMER M%d id=%u", i, static_cast<unsigned>(wp));
        return 0;
    case WM_DESTROY:
        Log("WM_DESTROY M%d", i);
        return 0;
    }
    return 0;
}

BOOL Init(PackageRecord* record, TV2HostCallback host) {
    g_record = record;
    g_host = host;
    DWORD count = 1, width = 40;
    host(HC_GET_INT, record, reinterpret_cast<UINT_PTR>(L"modules"), reinterpret_cast<UINT_PTR>(&count));
    host(HC_GET_INT, record, reinterpret_cast<UINT_PTR>(L"width"), reinterpret_cast<UINT_PTR>(&width));
    if (count > kMaxModules) count = kMaxModules;
    Log("INIT tag=%lu file=%ls modules=%lu thread=%lu", record->size, record->fileName, count, GetCurrentThreadId());
    g_moduleCount = 0;
    for (DWORD i = 0; i < count; i++) {
        ModuleDescriptor d = {};
        wsprintfW(d.name, L"M%lu", i);
        d.windowProc = ModuleProc;
        d.width = static_cast<LONG>(width);
        d.showOnCreate = 1;
        ModuleRecord* m = nullptr;
        UINT rc = host(HC_REGISTER_MODULE, record, reinterpret_cast<UINT_PTR>(&d), reinterpret_cast<UINT_PTR>(&m));
        g_modules[i] = m;
        g_timers[i] = 0;
        g_moduleCount = i + 1;
        Log("REGISTERED M%lu rc=%u tag=%lu active=%d", i, rc, m ? m->size : 0, m && m->window ? 1 : 0);
    }
    return TRUE;
}
}  // namespace

extern "C" __declspec(dllexport) UINT_PTR WINAPI TV2PackageProc(UINT message, UINT_PTR arg1, UINT_PTR arg2) {
    switch (message) {
    case PKG_GET_INFO:
        Log("GET_INFO");
        return reinterpret_cast<UINT_PTR>(&kInfo);
    case PKG_INIT:
        return Init(reinterpret_cast<PackageRecord*>(arg1), reinterpret_cast<TV2HostCallback>(arg2));
    case PKG_EXIT:
        Log("EXIT");
        return 0;
    case PKG_LOAD_SETTINGS:
        Log("LOAD_SETTINGS");
        return 0;
    case PKG_SAVE_SETTINGS:
        Log("SAVE_SETTINGS");
        return 0;
    }
    return 0;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_self = instance;
        NameFromFile();
    }
    if (reason == DLL_PROCESS_DETACH) Log("UNLOADED");
    return TRUE;
}
