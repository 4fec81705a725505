#pragma once
// Every block in the program comes from the process heap; whoever receives a
// block frees it with MemFree. Exhaustion is not tested anywhere: the calls
// simply return null.
#include <windows.h>

void* MemAlloc(SIZE_T size);
void* MemAllocZero(SIZE_T size);
void* MemRealloc(void* block, SIZE_T size);
BOOL MemFree(void* block);

// Counts the blocks handed out and not yet freed, so that tests can prove a
// piece of work returned everything it took. Cheap enough to keep always on.
LONG MemLiveBlocks();
