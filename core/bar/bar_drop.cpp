// Installing plug-in libraries dropped on the bar: each is copied into
// Plugins\, never over a file of the same name; the folder watcher does the
// rest.
#include <windows.h>
#include <shellapi.h>

#include "core/bar/bar_behaviours.h"
#include "core/runtime/wstr.h"

bool BarIsPackageFile(const WCHAR* path) {
    const WCHAR* extension = path;
    for (const WCHAR* p = path; *p; p++)
        if (*p == L'.') extension = p;
    return StrCompareNoCaseN(extension, L".dll", -1) == 0;
}

void BarInstallDroppedFiles(HDROP drop) {
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; i++) {
        WCHAR source[MAX_PATH], full[MAX_PATH], target[MAX_PATH];
        if (!DragQueryFileW(drop, i, source, MAX_PATH)) continue;
        WCHAR* name = nullptr;
        DWORD n = GetFullPathNameW(source, MAX_PATH, full, &name);
        if (n == 0 || n >= MAX_PATH || !name || !*name) continue;
        if (!BarIsPackageFile(source)) continue;
        // Relative to the current folder, which is the executable's.
        WCHAR relative[MAX_PATH];
        StrCopyN(relative, L"Plugins\\", MAX_PATH);
        int used = StrLen(relative);
        if (StrLen(name) >= MAX_PATH - used) continue;
        StrCopyN(relative + used, name, MAX_PATH - used);
        n = GetFullPathNameW(relative, MAX_PATH, target, nullptr);
        if (n == 0 || n >= MAX_PATH) continue;
        CopyFileW(source, target, TRUE);
    }
}
