// Test package that misbehaves in one call, named by its file name
// "<call>-<deed>.dll": call is info, init, exit, load, save, show or hide (the
// PKG_ messages 1 to 7) or mload, msave (its module's SETTINGS_LOAD and
// SETTINGS_SAVE); deed is div (divides by zero), av (writes through a null
// pointer) or hang (sleeps for ever). Under any other name it behaves.
// It registers one module, H; every call is logged to <its DLL path>.log.
#include "../common/test_package.h"
#include <windows.h>

#include "tovara2_sdk.h"

namespace {
HINSTANCE g_self;
TV2HostCallback g_host;
UINT g_call;   // the PKG_ message, or SETTINGS_LOAD / SETTINGS_SAVE
int g_deed;    // 0 none, 1 div, 2 av, 3 hang
volatile int g_zero;
volatile int g_sink;

const PackageInfo kInfo = {L"Hostile", L"Tovara2 tests", nullptr};

#define Log(...) PackageLog(g_self, __VA_ARGS__)

// Reads "<call>-<deed>.dll" from the DLL's own file name.
void ReadName() {
    static const wchar_t* const kCalls[] = {L"info-", L"init-", L"exit-", L"load-", L"save-",
                                            L"show-", L"hide-", L"mload-", L"msave-"};
    static const wchar_t* const kDeeds[] = {L"div.dll", L"av.dll", L"hang.dll"};
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(g_self, path, MAX_PATH);
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p; p++)
        if (*p == L'\\') name = p + 1;
    for (UINT c = 0; c < 9; c++) {
        int n = lstrlenW(kCalls[c]);
        for (int d = 0; d < 3; d++)
            if (CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, name, n, kCalls[c], n) == CSTR_EQUAL &&
                lstrcmpiW(name + n, kDeeds[d]) == 0) {
                g_call = c < 7 ? c + 1 : (c == 7 ? SETTINGS_LOAD : SETTINGS_SAVE);
                g_deed = d + 1;
            }
    }
}

void Misbehave(UINT call) {
    if (call != g_call || !g_deed) return;
    Log("misbehave %u deed %d", call, g_deed);
    if (g_deed == 1) g_sink = 100 / g_zero;
    if (g_deed == 2) *reinterpret_cast<volatile int*>(static_cast<UINT_PTR>(g_zero)) = 1;
    if (g_deed == 3) Sleep(INFINITE);
}

LRESULT CALLBACK ModuleProc(HWND, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case MODULE_MSG_SETTINGS:
        Log(wp == SETTINGS_LOAD ? "SETTINGS_LOAD" : "SETTINGS_SAVE");
        Misbehave(static_cast<UINT>(wp));
        return 0;
    case WM_TIMER:
        Log("tick");
        return 0;
    case WM_DESTROY:
        Log("WM_DESTROY");
        return 0;
    }
    return 0;
}
}  // namespace

extern "C" __declspec(dllexport) UINT_PTR WINAPI TV2PackageProc(UINT message, UINT_PTR arg1, UINT_PTR arg2) {
    Log("message %u", message);
    if (message == PKG_INIT) {
        g_host = reinterpret_cast<TV2HostCallback>(arg2);
        ModuleDescriptor d = {};
        lstrcpyW(d.name, L"H");
        d.windowProc = ModuleProc;
        d.width = 30;
        d.showOnCreate = 1;
        ModuleRecord* m = nullptr;
        g_host(HC_REGISTER_MODULE, reinterpret_cast<PackageRecord*>(arg1), reinterpret_cast<UINT_PTR>(&d),
               reinterpret_cast<UINT_PTR>(&m));
    }
    Misbehave(message);
    return message == PKG_GET_INFO ? reinterpret_cast<UINT_PTR>(&kInfo) : message == PKG_INIT;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_self = instance;
        ReadName();
    }
    return TRUE;
}
