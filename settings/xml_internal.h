#pragma once
// Helpers shared by the XML model, parser and writer; not for other callers.
#include "core/runtime/memory.h"
#include "settings/xml.h"

// The entity the writer puts for c, or null where c stands as it is. The
// settings store writes its file with the same escapes.
inline const WCHAR* XmlEntityFor(WCHAR c) {
    switch (c) {
    case L'"': return L"&quot;";
    case L'\'': return L"&apos;";
    case L'&': return L"&amp;";
    case L'<': return L"&lt;";
    case L'>': return L"&gt;";
    default: return nullptr;
    }
}

// Heap copy of n characters plus a terminator.
WCHAR* XmlCopyChars(const WCHAR* s, UINT n);

// Result code of the most recent parse or load (process-wide).
extern int g_xmlLastError;

// A growable stack of pointers on the heap, used wherever a tree is walked so
// that no walk recurses once per nesting level. Starts in a small inline
// block; grows by doubling.
struct XmlPtrStack {
    void** items;
    UINT count;
    UINT capacity;
    void* inlineItems[32];
};

inline void XmlStackInit(XmlPtrStack* s) {
    s->items = s->inlineItems;
    s->count = 0;
    s->capacity = 32;
}
void XmlStackGrow(XmlPtrStack* s);
inline void XmlStackPush(XmlPtrStack* s, void* p) {
    if (s->count == s->capacity) XmlStackGrow(s);
    s->items[s->count++] = p;
}
inline void XmlStackFree(XmlPtrStack* s) {
    if (s->items != s->inlineItems) MemFree(s->items);
    s->items = s->inlineItems;
    s->count = 0;
    s->capacity = 32;
}
