// Counts what SysMon.dll itself creates and frees, by pointing its import
// table at counting wrappers. GetGuiResources reports 0 under Wine, so this
// is how the tests see GDI leaks and per-tick allocations there.
#pragma once

#include <windows.h>

struct ImportCounts {
    long liveGdi;      // created minus deleted: DCs, bitmaps, brushes, pens
    long heapAllocs;   // HeapAlloc and HeapReAlloc calls
};

extern ImportCounts g_importCounts;

// Patches the package's imports; false when an import was not found.
bool CountPackageImports(HMODULE package);
