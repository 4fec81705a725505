/* Test package: answers PKG_GET_INFO, then fails PKG_INIT (after registering
   one module, which the host keeps). */
#include "tovara2_sdk.h"

static const PackageInfo kInfo = {L"Init fails", L"Tovara2 tests", NULL};

static LRESULT CALLBACK ModuleProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) { return 0; }

__declspec(dllexport) UINT_PTR WINAPI TV2PackageProc(UINT message, UINT_PTR arg1, UINT_PTR arg2) {
    if (message == PKG_GET_INFO) return (UINT_PTR)&kInfo;
    if (message == PKG_INIT) {
        TV2HostCallback host = (TV2HostCallback)arg2;
        ModuleDescriptor d;
        ModuleRecord* m = NULL;
        ZeroMemory(&d, sizeof(d));
        lstrcpyW(d.name, L"Lonely");
        d.windowProc = ModuleProc;
        d.width = 30;
        host(HC_REGISTER_MODULE, (void*)arg1, (UINT_PTR)&d, (UINT_PTR)&m);
        return 0;
    }
    return 0;
}
