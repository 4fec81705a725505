// Test package: modules that fault on a timer tick, after <delay> ticks
// (a setting of the module's own node, default 1):
//   DivZero  divides an integer by zero
//   Access   writes through a null pointer
//   Unknown  raises the code 0xE0001234, which no table knows
//   Child    makes a child window whose own timer handler divides by zero
//   Orphan   makes an unowned popup whose own timer handler divides by zero
//   Steady   never faults
// Its own options (PKG_SHOW_OPTIONS without a module) are a child window in
// the host's panel whose timer handler divides by zero on the host's thread.
// Every tick, SETTINGS_SAVE and WM_DESTROY is logged to <its DLL path>.log.
#include "../common/test_package.h"
#include <windows.h>

#include "tovara2_sdk.h"

namespace {
HINSTANCE g_self;
TV2HostCallback g_host;

enum Kind { DIV_ZERO, ACCESS, UNKNOWN, CHILD, ORPHAN, STEADY, KIND_COUNT };
const wchar_t* const kNames[KIND_COUNT] = {L"DivZero", L"Access", L"Unknown", L"Child", L"Orphan", L"Steady"};
ModuleRecord* g_modules[KIND_COUNT];
int g_ticks[KIND_COUNT];
HWND g_orphan;
HWND g_options;
const wchar_t kChildClass[] = L"FaultyChild";
const UINT_PTR kChildTimer = 7;

volatile int g_zero = 0;
volatile int g_sink;

const PackageInfo kInfo = {L"Faulty", L"Tovara2 tests", nullptr};

#define Log(...) PackageLog(g_self, __VA_ARGS__)

int KindOf(HWND w) {
    ModuleRecord* m = ModuleOfWindow(g_host, w);
    if (!m) return -1;
    for (int i = 0; i < KIND_COUNT; i++)
        if (lstrcmpW(m->descriptor.name, kNames[i]) == 0) return i;
    return -1;
}

void DivideByZero() { g_sink = 100 / g_zero; }

LRESULT CALLBACK ChildProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == kChildTimer) {
        KillTimer(w, kChildTimer);
        Log("child window faults");
        DivideByZero();
        return 0;
    }
    return DefWindowProcW(w, msg, wp, lp);
}

void Fault(int kind, HWND w) {
    Log("fault %ls", kNames[kind]);
    switch (kind) {
    case DIV_ZERO:
        DivideByZero();
        break;
    case ACCESS:
        *reinterpret_cast<volatile int*>(static_cast<UINT_PTR>(g_zero)) = 1;
        break;
    case UNKNOWN:
        RaiseException(0xE0001234, 0, 0, nullptr);
        break;
    case CHILD: {
        HWND child = GetWindow(w, GW_CHILD);
        if (child) SetTimer(child, kChildTimer, 10, nullptr);
        break;
    }
    case ORPHAN:
        if (g_orphan) SetTimer(g_orphan, kChildTimer, 10, nullptr);
        break;
    }
}

LRESULT CALLBACK ModuleProc(HWND w, UINT msg, WPARAM wp, LPARAM) {
    int kind = KindOf(w);
    if (kind < 0) return 0;
    switch (msg) {
    case WM_CREATE:
        if (kind == CHILD)
            CreateWindowExW(0, kChildClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, w, nullptr, g_self, nullptr);
        if (kind == ORPHAN && !g_orphan)
            g_orphan = CreateWindowExW(0, kChildClass, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, g_self, nullptr);
        return 0;
    case WM_TIMER: {
        if (wp != TV2_MODULE_TIMER_ID) return 0;
        int tick = ++g_ticks[kind];
        Log("tick %ls %d", kNames[kind], tick);
        DWORD delay = 1;
        g_host(HC_GET_INT, g_modules[kind], reinterpret_cast<UINT_PTR>(L"delay"), reinterpret_cast<UINT_PTR>(&delay));
        if (kind != STEADY && tick == static_cast<int>(delay)) Fault(kind, w);
        return 0;
    }
    case MODULE_MSG_SETTINGS:
        if (wp == SETTINGS_SAVE) Log("SETTINGS_SAVE %ls", kNames[kind]);
        return 0;
    case WM_DESTROY:
        Log("WM_DESTROY %ls", kNames[kind]);
        if (kind == ORPHAN && g_orphan) {
            DestroyWindow(g_orphan);
            g_orphan = nullptr;
        }
        return 0;
    }
    return 0;
}

BOOL Init(PackageRecord* record, TV2HostCallback host) {
    g_host = host;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ChildProc;
    wc.hInstance = g_self;
    wc.lpszClassName = kChildClass;
    RegisterClassW(&wc);
    for (int i = 0; i < KIND_COUNT; i++) {
        ModuleDescriptor d = {};
        lstrcpyW(d.name, kNames[i]);
        d.windowProc = ModuleProc;
        d.width = 50;
        d.showOnCreate = 1;
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
    case PKG_SHOW_OPTIONS:
        if (!arg1 && !g_options) {
            g_options = CreateWindowExW(0, kChildClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10,
                                        reinterpret_cast<HWND>(arg2), nullptr, g_self, nullptr);
            SetTimer(g_options, kChildTimer, 10, nullptr);
            Log("SHOW_OPTIONS");
        }
        return 0;
    case PKG_HIDE_OPTIONS:
        if (!arg1 && g_options) DestroyWindow(g_options);
        g_options = nullptr;
        return 0;
    case PKG_EXIT:
        UnregisterClassW(kChildClass, g_self);
        Log("EXIT");
        return 0;
    }
    return 0;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) g_self = instance;
    return TRUE;
}
