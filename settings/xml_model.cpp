// The node records and the operations on trees.
#include "core/runtime/memory.h"
#include "core/runtime/ptr_array.h"
#include "core/runtime/wstr.h"
#include "settings/xml.h"
#include "settings/xml_chars.h"
#include "settings/xml_internal.h"

namespace {
inline bool IsKind(const XmlNode* n, UINT type) { return n && n->type == type; }
inline XmlElement* AsElement(XmlNode* n) { return IsKind(n, XML_ELEMENT) ? static_cast<XmlElement*>(n) : nullptr; }
inline XmlDocument* AsDocument(XmlNode* n) { return IsKind(n, XML_DOCUMENT) ? static_cast<XmlDocument*>(n) : nullptr; }

inline void FreeString(WCHAR* s) {
    if (s) MemFree(s);
}

// Element and document records carry their list headers in the same heap
// block, right after the record: a parsed settings file has one element per
// setting, and fewer heap calls each is most of what parsing costs. An
// element's lists also start in a few slots of that block (a setting has two
// attributes and one text); the item past them moves the list to a heap slot
// block of its own, and from then on it is an ordinary PtrArray. While the
// items stand in the block, PtrArray's growth rule does not hold for them, so
// adding and removing go through InlineOf first.
const UINT kInlineSlots = 4;
struct InlineList {
    PtrArray header;
    void* slots[kInlineSlots];
};
struct ElementBlock {
    XmlElement e;
    InlineList attributes;
    InlineList children;
};
struct DocumentBlock {
    XmlDocument d;
    PtrArray misc;
};

// Frees one list and queues its items for freeing. inlineSlots is where the
// list's items stand while they are in the node's own block, if they can.
void QueueList(XmlPtrStack* work, PtrArray* list, const PtrArray* inlineHeader, void* const* inlineSlots) {
    if (!list) return;
    for (UINT i = list->count; i > 0; i--) XmlStackPush(work, list->items[i - 1]);
    if (list != inlineHeader) {
        PtrArrayDestroy(list);
    } else if (list->items && list->items != inlineSlots) {
        MemFree(list->items);
    }
}

// The element's own list that list is, while its items still stand in the
// element's block; else null.
InlineList* InlineOf(XmlElement* element, PtrArray* list) {
    if (!element || !list) return nullptr;
    ElementBlock* b = reinterpret_cast<ElementBlock*>(element);
    InlineList* lists[] = {&b->attributes, &b->children};
    for (InlineList* own : lists)
        if (list == &own->header && list->items == own->slots) return own;
    return nullptr;
}

// Unlink and free the item at index of a list (one of owner's, when owner is
// given); out of range does nothing.
void RemoveAt(XmlElement* owner, PtrArray* list, UINT index) {
    if (!list || index >= list->count) return;
    XmlNode* n = static_cast<XmlNode*>(list->items[index]);
    if (InlineOf(owner, list)) {
        MoveMemory(list->items + index, list->items + index + 1, (list->count - index - 1) * sizeof(void*));
        list->count--;
    } else {
        PtrArrayRemoveAt(list, index);
    }
    XmlFreeNode(n);
}

UINT CountOf(const PtrArray* list) { return list ? list->count : 0; }
void* ItemOf(const PtrArray* list, UINT index) { return list && index < list->count ? list->items[index] : nullptr; }
}  // namespace

WCHAR* XmlCopyChars(const WCHAR* s, UINT n) {
    WCHAR* copy = static_cast<WCHAR*>(MemAlloc((n + 1) * sizeof(WCHAR)));
    CopyMemory(copy, s, n * sizeof(WCHAR));
    copy[n] = 0;
    return copy;
}

void XmlStackGrow(XmlPtrStack* s) {
    UINT capacity = s->capacity * 2;
    void** items = static_cast<void**>(MemAlloc(capacity * sizeof(void*)));
    for (UINT i = 0; i < s->count; i++) items[i] = s->items[i];
    if (s->items != s->inlineItems) MemFree(s->items);
    s->items = items;
    s->capacity = capacity;
}

SIZE_T XmlNodeBlockSize(UINT type) {
    switch (type) {
    case XML_DOCUMENT: return sizeof(DocumentBlock);
    case XML_ELEMENT: return sizeof(ElementBlock);
    case XML_ATTRIBUTE: return sizeof(XmlAttribute);
    case XML_TEXT: return sizeof(XmlText);
    case XML_COMMENT: return sizeof(XmlComment);
    case XML_PI: return sizeof(XmlPi);
    default: return 0;
    }
}

void XmlNodeInit(XmlNode* n, UINT type) {
    n->type = type;
    if (type == XML_DOCUMENT) {
        DocumentBlock* b = reinterpret_cast<DocumentBlock*>(n);
        b->d.misc = &b->misc;
    } else if (type == XML_ELEMENT) {
        ElementBlock* b = reinterpret_cast<ElementBlock*>(n);
        b->e.attributes = &b->attributes.header;
        b->e.children = &b->children.header;
        InlineList* lists[] = {&b->attributes, &b->children};
        for (InlineList* list : lists) {
            list->header.items = list->slots;
            list->header.capacity = kInlineSlots;
        }
    }
}

void XmlListAdd(XmlElement* element, PtrArray* list, void* item) {
    if (InlineList* own = InlineOf(element, list)) {
        if (list->count < kInlineSlots) {
            list->items[list->count++] = item;
            return;
        }
        // 16 slots: what PtrArray gives a list of this many items.
        void** items = static_cast<void**>(MemAlloc(16 * sizeof(void*)));
        CopyMemory(items, own->slots, list->count * sizeof(void*));
        list->items = items;
        list->capacity = 16;
    }
    PtrArrayAdd(list, item);
}

XmlNode* WINAPI XmlCreateNode(UINT type) {
    SIZE_T size = XmlNodeBlockSize(type);
    if (!size) return nullptr;
    XmlNode* n = static_cast<XmlNode*>(MemAllocZero(size));
    XmlNodeInit(n, type);
    if (type == XML_DOCUMENT) static_cast<XmlDocument*>(n)->version = StrDup(L"1.0");
    return n;
}

void XmlArenaInit(XmlArena* arena) { *arena = XmlArena{nullptr, nullptr, 0, 64 * 1024}; }

void* XmlArenaAlloc(XmlArena* arena, SIZE_T size) {
    // Every piece keeps pointer alignment, so nodes may follow strings.
    size = (size + sizeof(void*) - 1) & ~(sizeof(void*) - 1);
    if (size > arena->left) {
        SIZE_T room = size > arena->chunkSize ? size : arena->chunkSize;
        if (arena->chunkSize < 4 * 1024 * 1024) arena->chunkSize *= 2;
        void** chunk = static_cast<void**>(MemAlloc(sizeof(void*) + room));
        chunk[0] = arena->chunks;
        arena->chunks = chunk;
        arena->next = reinterpret_cast<BYTE*>(chunk + 1);
        arena->left = room;
    }
    void* p = arena->next;
    arena->next += size;
    arena->left -= size;
    return p;
}

void XmlArenaFree(XmlArena* arena) {
    while (arena->chunks) {
        void** chunk = static_cast<void**>(arena->chunks);
        arena->chunks = chunk[0];
        MemFree(chunk);
    }
    XmlArenaInit(arena);
}

// Depth first through an explicit work stack: a tree nested hundreds of
// thousands of levels deep is freed like a flat one.
void WINAPI XmlFreeNode(XmlNode* node) {
    if (!node) return;
    XmlPtrStack work;
    XmlStackInit(&work);
    XmlStackPush(&work, node);
    while (work.count) {
        XmlNode* n = static_cast<XmlNode*>(work.items[--work.count]);
        if (!n) continue;
        switch (n->type) {
        case XML_DOCUMENT: {
            XmlDocument* d = static_cast<XmlDocument*>(n);
            FreeString(d->version);
            FreeString(d->encoding);
            if (d->root) XmlStackPush(&work, d->root);
            QueueList(&work, d->misc, &reinterpret_cast<DocumentBlock*>(d)->misc, nullptr);
            break;
        }
        case XML_ELEMENT: {
            XmlElement* e = static_cast<XmlElement*>(n);
            FreeString(e->name);
            ElementBlock* b = reinterpret_cast<ElementBlock*>(e);
            QueueList(&work, e->children, &b->children.header, b->children.slots);
            QueueList(&work, e->attributes, &b->attributes.header, b->attributes.slots);
            break;
        }
        case XML_ATTRIBUTE:
            FreeString(static_cast<XmlAttribute*>(n)->name);
            FreeString(static_cast<XmlAttribute*>(n)->value);
            break;
        case XML_TEXT:
        case XML_COMMENT: FreeString(static_cast<XmlText*>(n)->text); break;
        case XML_PI:
            FreeString(static_cast<XmlPi*>(n)->target);
            FreeString(static_cast<XmlPi*>(n)->data);
            break;
        default: break;
        }
        MemFree(n);
    }
    XmlStackFree(&work);
}

void WINAPI XmlSetRoot(XmlDocument* document, XmlElement* element) {
    if (AsDocument(document)) document->root = element;
}

XmlElement* WINAPI XmlGetRoot(XmlDocument* document) { return AsDocument(document) ? document->root : nullptr; }

void WINAPI XmlAppendChild(XmlElement* element, XmlNode* node) {
    if (!AsElement(element) || !node) return;
    if (node->type == XML_ELEMENT || node->type == XML_TEXT || node->type == XML_COMMENT || node->type == XML_PI)
        XmlListAdd(element, element->children, node);
}

UINT WINAPI XmlGetChildCount(XmlElement* element) { return AsElement(element) ? CountOf(element->children) : 0; }

XmlNode* WINAPI XmlGetChild(XmlElement* element, UINT index) {
    return AsElement(element) ? static_cast<XmlNode*>(ItemOf(element->children, index)) : nullptr;
}

WCHAR* WINAPI XmlGetText(XmlElement* element) {
    if (!AsElement(element) || !element->children) return nullptr;
    for (UINT i = 0; i < element->children->count; i++) {
        XmlNode* child = static_cast<XmlNode*>(element->children->items[i]);
        if (IsKind(child, XML_TEXT)) return static_cast<XmlText*>(child)->text;
    }
    return nullptr;
}

// Null or wrong-kind first arguments are ignored rather than trusted: the
// table hands these to plug-ins.
void WINAPI XmlRemoveChild(XmlElement* element, UINT index) {
    if (AsElement(element)) RemoveAt(element, element->children, index);
}

void WINAPI XmlAppendMisc(XmlDocument* document, XmlNode* node) {
    if (!AsDocument(document) || !node) return;
    if (node->type == XML_COMMENT || node->type == XML_PI) PtrArrayAdd(document->misc, node);
}

UINT WINAPI XmlGetMiscCount(XmlDocument* document) { return AsDocument(document) ? CountOf(document->misc) : 0; }

XmlNode* WINAPI XmlGetMisc(XmlDocument* document, UINT index) {
    return AsDocument(document) ? static_cast<XmlNode*>(ItemOf(document->misc, index)) : nullptr;
}

void WINAPI XmlRemoveMisc(XmlDocument* document, UINT index) {
    if (AsDocument(document)) RemoveAt(nullptr, document->misc, index);
}

void WINAPI XmlAddAttribute(XmlElement* element, const WCHAR* name, const WCHAR* value) {
    if (!AsElement(element) || !name) return;
    XmlAttribute* a = static_cast<XmlAttribute*>(XmlCreateNode(XML_ATTRIBUTE));
    a->name = StrDup(name);
    a->value = StrDup(value ? value : L"");
    XmlListAdd(element, element->attributes, a);
}

void WINAPI XmlAppendAttribute(XmlElement* element, XmlAttribute* attribute) {
    if (AsElement(element) && IsKind(attribute, XML_ATTRIBUTE)) XmlListAdd(element, element->attributes, attribute);
}

UINT WINAPI XmlGetAttributeCount(XmlElement* element) { return AsElement(element) ? CountOf(element->attributes) : 0; }

XmlAttribute* WINAPI XmlGetAttribute(XmlElement* element, UINT index) {
    return AsElement(element) ? static_cast<XmlAttribute*>(ItemOf(element->attributes, index)) : nullptr;
}

XmlAttribute* WINAPI XmlFindAttribute(XmlElement* element, const WCHAR* name) {
    if (!AsElement(element) || !name || !element->attributes) return nullptr;
    for (UINT i = 0; i < element->attributes->count; i++) {
        XmlAttribute* a = static_cast<XmlAttribute*>(element->attributes->items[i]);
        if (a && a->name && XmlNameEqualsNoCase(a->name, name)) return a;
    }
    return nullptr;
}

void WINAPI XmlGetAttributeValue(XmlElement* element, const WCHAR* name, WCHAR* buffer, UINT size) {
    if (!AsElement(element) || !name || !buffer || size == 0) return;
    XmlAttribute* a = XmlFindAttribute(element, name);
    // A missing attribute reads as empty rather than leaving stale text.
    lstrcpynW(buffer, a && a->value ? a->value : L"", static_cast<int>(size));
}

void WINAPI XmlRemoveAttribute(XmlElement* element, UINT index) {
    if (AsElement(element)) RemoveAt(element, element->attributes, index);
}

XmlIterator* WINAPI XmlOpenIterator(XmlElement* element, const WCHAR* name) {
    if (!AsElement(element)) return nullptr;
    XmlIterator* it = static_cast<XmlIterator*>(MemAlloc(sizeof(XmlIterator)));
    it->element = element;
    it->name = name ? StrDup(name) : nullptr;
    it->position = -1;
    return it;
}

XmlElement* WINAPI XmlNextElement(XmlIterator* iterator) {
    if (!iterator || !AsElement(iterator->element)) return nullptr;
    PtrArray* children = iterator->element->children;
    LONG count = static_cast<LONG>(CountOf(children));
    while (iterator->position < count) {
        iterator->position++;
        if (iterator->position >= count) break;
        XmlNode* child = static_cast<XmlNode*>(children->items[iterator->position]);
        if (!IsKind(child, XML_ELEMENT)) continue;
        XmlElement* e = static_cast<XmlElement*>(child);
        if (!iterator->name || (e->name && XmlNameEquals(e->name, iterator->name))) return e;
    }
    return nullptr;
}

void WINAPI XmlCloseIterator(XmlIterator* iterator) {
    if (!iterator) return;
    FreeString(iterator->name);
    MemFree(iterator);
}
