#include "import_counter.h"

#include <cstring>

ImportCounts g_importCounts;

namespace {

HDC WINAPI CountCreateCompatibleDC(HDC dc) {
    HDC r = CreateCompatibleDC(dc);
    if (r) ++g_importCounts.liveGdi;
    return r;
}
HBITMAP WINAPI CountCreateCompatibleBitmap(HDC dc, int w, int h) {
    HBITMAP r = CreateCompatibleBitmap(dc, w, h);
    if (r) ++g_importCounts.liveGdi;
    return r;
}
HBRUSH WINAPI CountCreateSolidBrush(COLORREF c) {
    HBRUSH r = CreateSolidBrush(c);
    if (r) ++g_importCounts.liveGdi;
    return r;
}
HPEN WINAPI CountCreatePen(int style, int width, COLORREF c) {
    HPEN r = CreatePen(style, width, c);
    if (r) ++g_importCounts.liveGdi;
    return r;
}
BOOL WINAPI CountDeleteDC(HDC dc) {
    BOOL r = DeleteDC(dc);
    if (r) --g_importCounts.liveGdi;
    return r;
}
BOOL WINAPI CountDeleteObject(HGDIOBJ o) {
    BOOL r = DeleteObject(o);
    if (r) --g_importCounts.liveGdi;
    return r;
}
LPVOID WINAPI CountHeapAlloc(HANDLE heap, DWORD flags, SIZE_T n) {
    ++g_importCounts.heapAllocs;
    return HeapAlloc(heap, flags, n);
}
LPVOID WINAPI CountHeapReAlloc(HANDLE heap, DWORD flags, LPVOID p, SIZE_T n) {
    ++g_importCounts.heapAllocs;
    return HeapReAlloc(heap, flags, p, n);
}

struct Hook {
    const char* dll;
    const char* name;
    void* replacement;
};

bool Patch(HMODULE module, const Hook& hook) {
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress) return false;
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
        if (_stricmp(reinterpret_cast<char*>(base + d->Name), hook.dll) != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + (d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk));
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (strcmp(reinterpret_cast<char*>(byName->Name), hook.name) != 0) continue;
            DWORD old;
            VirtualProtect(&slots->u1.Function, sizeof(void*), PAGE_READWRITE, &old);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(hook.replacement);
            VirtualProtect(&slots->u1.Function, sizeof(void*), old, &old);
            return true;
        }
    }
    return false;
}

}  // namespace

bool CountPackageImports(HMODULE package) {
    const Hook hooks[] = {
        {"gdi32.dll", "CreateCompatibleDC", reinterpret_cast<void*>(CountCreateCompatibleDC)},
        {"gdi32.dll", "CreateCompatibleBitmap", reinterpret_cast<void*>(CountCreateCompatibleBitmap)},
        {"gdi32.dll", "CreateSolidBrush", reinterpret_cast<void*>(CountCreateSolidBrush)},
        {"gdi32.dll", "CreatePen", reinterpret_cast<void*>(CountCreatePen)},
        {"gdi32.dll", "DeleteDC", reinterpret_cast<void*>(CountDeleteDC)},
        {"gdi32.dll", "DeleteObject", reinterpret_cast<void*>(CountDeleteObject)},
        {"kernel32.dll", "HeapAlloc", reinterpret_cast<void*>(CountHeapAlloc)},
        {"kernel32.dll", "HeapReAlloc", reinterpret_cast<void*>(CountHeapReAlloc)},
    };
    g_importCounts = {};
    bool all = true;
    for (const Hook& h : hooks) all = Patch(package, h) && all;
    return all;
}
