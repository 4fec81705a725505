#pragma once
// The growable pointer array behind every list of the program. It owns only
// its slot block, never the items.
#include <windows.h>

struct PtrArray {
    void** items;
    UINT count;
    UINT capacity;  // always the smallest multiple of 16 above count
};

// Negative, 0 or positive for a before, equal to or after b.
typedef int (*PtrCompare)(const void* a, const void* b);

PtrArray* PtrArrayCreate();
void PtrArrayDestroy(PtrArray* a);
UINT PtrArrayCount(const PtrArray* a);
void* PtrArrayGet(const PtrArray* a, UINT index);
UINT PtrArrayAdd(PtrArray* a, void* item);
void PtrArrayRemoveAt(PtrArray* a, UINT index);
void PtrArrayRemove(PtrArray* a, void* item);
void PtrArraySort(PtrArray* a, PtrCompare compare);
UINT PtrArrayAddSorted(PtrArray* a, void* item, PtrCompare compare);
void PtrArrayReserve(PtrArray* a, UINT count);
