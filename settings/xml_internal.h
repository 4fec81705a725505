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

// The size of the block a node of that type takes (0 for an unknown type),
// and what XmlCreateNode sets in a zero-filled block besides the version.
SIZE_T XmlNodeBlockSize(UINT type);
void XmlNodeInit(XmlNode* n, UINT type);
// Appends to one of the element's own lists (attributes or children), which
// start in the element's block; every addition to them goes through here.
void XmlListAdd(XmlElement* element, PtrArray* list, void* item);

// A document that its caller only reads and then throws away whole (the
// settings store reads its file this way; plug-ins never see that document)
// lives in an arena: its nodes, strings and list slots are carved out of a
// few large blocks and freed together, instead of a dozen heap blocks per
// element taken and freed one by one. The tree has the same shape and
// content that XmlParseText gives; it must not be changed nor passed to
// XmlFreeNode.
struct XmlArena {
    void* chunks;  // newest first; each starts with a pointer to the one before
    BYTE* next;
    SIZE_T left;
    SIZE_T chunkSize;
};
void XmlArenaInit(XmlArena* arena);
void* XmlArenaAlloc(XmlArena* arena, SIZE_T size);
void XmlArenaFree(XmlArena* arena);
// As XmlParseText and XmlLoadFile (same results and error codes); with an
// arena the document is built in it, without one on the heap.
XmlDocument* XmlParseTextIn(const WCHAR* text, XmlArena* arena);
XmlDocument* XmlLoadFileIn(const WCHAR* path, XmlArena* arena);

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
