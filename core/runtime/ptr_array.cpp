#include "core/runtime/ptr_array.h"

#include "core/runtime/memory.h"

PtrArray* PtrArrayCreate() {
    PtrArray* a = static_cast<PtrArray*>(MemAllocZero(sizeof(PtrArray)));
    PtrArrayReserve(a, 0);
    return a;
}

void PtrArrayDestroy(PtrArray* a) {
    if (!a) return;
    if (a->items) MemFree(a->items);
    MemFree(a);
}

UINT PtrArrayCount(const PtrArray* a) { return a->count; }

void* PtrArrayGet(const PtrArray* a, UINT index) {
    return index < a->count ? a->items[index] : nullptr;
}

void PtrArrayReserve(PtrArray* a, UINT count) {
    UINT c = (count + 16) & ~15u;
    if (c == a->capacity) return;
    void* block = a->items ? MemRealloc(a->items, c * sizeof(void*)) : MemAlloc(c * sizeof(void*));
    a->items = static_cast<void**>(block);
    a->capacity = c;
}

UINT PtrArrayAdd(PtrArray* a, void* item) {
    PtrArrayReserve(a, a->count + 1);
    a->items[a->count] = item;
    return a->count++;
}

void PtrArrayRemoveAt(PtrArray* a, UINT index) {
    if (index >= a->count) return;
    MoveMemory(a->items + index, a->items + index + 1, (a->count - index - 1) * sizeof(void*));
    a->count--;
    PtrArrayReserve(a, a->count);
}

void PtrArrayRemove(PtrArray* a, void* item) {
    if (!a) return;
    for (UINT i = 0; i < a->count; i++) {
        if (a->items[i] == item) {
            PtrArrayRemoveAt(a, i);
            return;
        }
    }
}

namespace {
inline void Swap(void** s, UINT i, UINT j) {
    void* t = s[i];
    s[i] = s[j];
    s[j] = t;
}

// Middle pivot moved to the end; recursion on the left part, a loop on the
// right one.
void QuickSort(void** s, UINT n, PtrCompare compare) {
    while (n > 2) {
        UINT last = n - 1;
        if (last / 2 != last) Swap(s, last / 2, last);
        void* pivot = s[last];
        UINT i = 0, j = last;
        while (i != j) {
            while (i < j && compare(s[i], pivot) <= 0) i++;
            if (i == j) break;
            while (j > i && compare(pivot, s[j]) <= 0) j--;
            if (i == j) break;
            Swap(s, i, j);
        }
        if (i != last) Swap(s, i, last);
        QuickSort(s, i, compare);
        s += i + 1;
        n = n - i - 1;
    }
    if (n == 2 && compare(s[0], s[1]) >= 1) Swap(s, 0, 1);
}
}  // namespace

void PtrArraySort(PtrArray* a, PtrCompare compare) { QuickSort(a->items, a->count, compare); }

UINT PtrArrayAddSorted(PtrArray* a, void* item, PtrCompare compare) {
    UINT k = PtrArrayAdd(a, item);
    while (k > 0 && compare(a->items[k - 1], a->items[k]) > 0) {
        Swap(a->items, k - 1, k);
        k--;
    }
    return k;
}
