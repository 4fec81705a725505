#pragma once
// Test packages report what they see by appending lines to "<their DLL>.log"
// beside the DLL, which the integration tests read after the run.
#include <stdarg.h>
#include <windows.h>

inline void PackageLogV(HMODULE self, const char* format, va_list args) {
    char line[1026];  // wvsprintfA writes at most 1024 characters
    int n = wvsprintfA(line, format, args);
    if (n < 0) n = 0;
    line[n++] = '\n';
    wchar_t path[MAX_PATH];
    DWORD len = GetModuleFileNameW(self, path, MAX_PATH - 5);
    lstrcpyW(path + len, L".log");
    HANDLE h = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD written;
    WriteFile(h, line, static_cast<DWORD>(n), &written, nullptr);
    CloseHandle(h);
}
