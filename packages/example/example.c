/* A complete Tovara2 package: one module, "Hello", that shows a greeting
   taken from its settings and counts the seconds it has been on the bar. */
#include "tovara2_sdk.h"

static TV2HostCallback host;
static ModuleRecord* hello;
static DWORD seconds;

static const PackageInfo info = {L"Example", L"Tovara2", NULL};

static LRESULT CALLBACK HelloProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: /* comes before HC_REGISTER_MODULE has returned: ask for the record */
        host(HC_MODULE_FROM_WINDOW, NULL, (UINT_PTR)window, (UINT_PTR)&hello);
        return 0;
    case MODULE_MSG_SETTINGS:
        if (wParam == SETTINGS_LOAD) {
            seconds = 0;
            host(HC_GET_INT, hello, (UINT_PTR)L"seconds", (UINT_PTR)&seconds);
        } else if (wParam == SETTINGS_SAVE) {
            host(HC_SET_INT, hello, (UINT_PTR)L"seconds", seconds);
        }
        return 0;
    case WM_TIMER: /* TV2_MODULE_TIMER_ID, once a second */
        seconds++;
        InvalidateRect(window, NULL, TRUE);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        WCHAR text[64];
        WCHAR* greeting = NULL;
        RECT r;
        HDC dc = BeginPaint(window, &ps);
        if (host(HC_GET_STRING, hello, (UINT_PTR)L"greeting", (UINT_PTR)&greeting) != HC_OK || !greeting) greeting = NULL;
        wsprintfW(text, L"%s %lu", greeting ? greeting : L"Hello", seconds);
        if (greeting) HeapFree(GetProcessHeap(), 0, greeting);
        GetClientRect(window, &r);
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(window, &ps);
        return 1; /* handled: no default painting */
    }
    }
    return 0; /* 0: the host's default handling */
}

__declspec(dllexport) UINT_PTR WINAPI TV2PackageProc(UINT message, UINT_PTR arg1, UINT_PTR arg2) {
    switch (message) {
    case PKG_GET_INFO:
        return (UINT_PTR)&info;
    case PKG_INIT: {
        ModuleDescriptor d;
        host = (TV2HostCallback)arg2;
        ZeroMemory(&d, sizeof(d));
        lstrcpyW(d.name, L"Hello");
        d.windowProc = HelloProc;
        d.width = 80;
        d.showOnCreate = 1;
        return host(HC_REGISTER_MODULE, (PackageRecord*)arg1, (UINT_PTR)&d, (UINT_PTR)&hello) == HC_OK;
    }
    case PKG_EXIT:
        hello = NULL;
        return 0;
    }
    return 0;
}
