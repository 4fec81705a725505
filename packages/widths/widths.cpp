// Test package: three modules of widths 40, 60 and 100 that show themselves,
// and a fourth one (width 30) that stays hidden. Each logs its timer ticks
// as "tick <name> <n>" in <its DLL path>.log, so tests can see it keeps
// running.
#include "../common/test_package.h"
#include <windows.h>

#include "tovara2_sdk.h"

namespace {
HINSTANCE g_self;
TV2HostCallback g_host;

struct Item {
    const wchar_t* name;
    LONG width;
    DWORD show;
};
const Item kItems[] = {
    {L"W40", 40, 1},
    {L"W60", 60, 1},
    {L"W100", 100, 1},
    {L"Hidden", 30, 0},
};
const int kCount = sizeof(kItems) / sizeof(kItems[0]);
ModuleRecord* g_modules[kCount];
int g_ticks[kCount];

const PackageInfo kInfo = {L"Widths", L"Tovara2 tests", nullptr};

#define Log(...) PackageLog(g_self, __VA_ARGS__)

int IndexOf(HWND w) {
    ModuleRecord* m = ModuleOfWindow(g_host, w);
    if (!m) return -1;
    for (int i = 0; i < kCount; i++)
        if (lstrcmpW(m->descriptor.name, kItems[i].name) == 0) return i;
    return -1;
}

LRESULT CALLBACK ModuleProc(HWND w, UINT msg, WPARAM wp, LPARAM) {
    int i = IndexOf(w);
    switch (msg) {
    case WM_TIMER:
        if (wp == TV2_MODULE_TIMER_ID && i >= 0) Log("tick %ls %d", kItems[i].name, ++g_ticks[i]);
        return 0;
    }
    return 0;
}

BOOL Init(PackageRecord* record, TV2HostCallback host) {
    g_host = host;
    for (int i = 0; i < kCount; i++) {
        ModuleDescriptor d = {};
        lstrcpyW(d.name, kItems[i].name);
        d.windowProc = ModuleProc;
        d.width = kItems[i].width;
        d.showOnCreate = kItems[i].show;
        host(HC_REGISTER_MODULE, record, reinterpret_cast<UINT_PTR>(&d), reinterpret_cast<UINT_PTR>(&g_modules[i]));
    }
    Log("INIT");
    return TRUE;
}
}  // namespace

extern "C" __declspec(dllexport) UINT_PTR WINAPI TV2PackageProc(UINT message, UINT_PTR arg1, UINT_PTR arg2) {
    switch (message) {
    case PKG_GET_INFO:
        return reinterpret_cast<UINT_PTR>(&kInfo);
    case PKG_INIT:
        return Init(reinterpret_cast<PackageRecord*>(arg1), reinterpret_cast<TV2HostCallback>(arg2));
    }
    return 0;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) g_self = instance;
    return TRUE;
}
