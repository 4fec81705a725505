#pragma once
// What the test packages share: they report what they see by appending
// lines to "<their DLL>.log" beside the DLL, which the integration tests read
// after the run, and they find their module records from their windows.
#include <stdarg.h>
#include <windows.h>

#include "tovara2_sdk.h"

inline void PackageLogV(HMODULE self, const char* format, va_list args) {
    char line[1026];  // wvsprintfA writes at most 1024 characters
    int n = wvsprintfA(line, format, args);
    if (n < 0) n = 0;
    line[n++] = '\n';
    wchar_t path[MAX_PATH];
    DWORD len = GetModuleFileNameW(self, path, MAX_PATH - 5);
    lstrcpyW(path + len, L".log");
    // The package's threads take turns: appends from two handles at once
    // overwrite each other under some Wine builds.
    static volatile LONG busy;
    while (InterlockedExchange(&busy, 1)) Sleep(0);
    HANDLE h = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        DWORD written;
        WriteFile(h, line, static_cast<DWORD>(n), &written, nullptr);
        CloseHandle(h);
    }
    InterlockedExchange(&busy, 0);
}

inline void PackageLog(HMODULE self, const char* format, ...) {
    va_list args;
    va_start(args, format);
    PackageLogV(self, format, args);
    va_end(args);
}

// The record of a module window, through the host as a package must ask.
inline ModuleRecord* ModuleOfWindow(TV2HostCallback host, HWND w) {
    UINT_PTR record = 0;
    host(HC_MODULE_FROM_WINDOW, nullptr, reinterpret_cast<UINT_PTR>(w), reinterpret_cast<UINT_PTR>(&record));
    return reinterpret_cast<ModuleRecord*>(record);
}
