#include "core/runtime/memory.h"

namespace {
// Taken by whichever call comes first; GetProcessHeap is idempotent, so two
// threads racing here store the same value.
HANDLE g_heap;
volatile LONG g_liveBlocks;

HANDLE Heap() {
    if (!g_heap) g_heap = GetProcessHeap();
    return g_heap;
}
}  // namespace

void* MemAlloc(SIZE_T size) {
    void* p = HeapAlloc(Heap(), 0, size);
    if (p) InterlockedIncrement(&g_liveBlocks);
    return p;
}

void* MemAllocZero(SIZE_T size) {
    void* p = HeapAlloc(Heap(), HEAP_ZERO_MEMORY, size);
    if (p) InterlockedIncrement(&g_liveBlocks);
    return p;
}

void* MemRealloc(void* block, SIZE_T size) {
    if (!block) return MemAlloc(size);
    return HeapReAlloc(Heap(), 0, block, size);
}

BOOL MemFree(void* block) {
    BOOL ok = HeapFree(Heap(), 0, block);
    if (ok && block) InterlockedDecrement(&g_liveBlocks);
    return ok;
}

LONG MemLiveBlocks() { return g_liveBlocks; }
