// The writer: tab-indented UTF-16 with CR LF line ends, as every settings file
// on disk stands. Output goes through one buffer (the bytes are the same as
// writing each piece on its own), and the tree is walked with an explicit
// stack, so any depth the parser accepts can be written back.
#include "core/runtime/memory.h"
#include "settings/xml.h"
#include "settings/xml_internal.h"

namespace {
const UINT kBufferChars = 16384;
const UINT kMaxIndent = 16;

struct Writer {
    HANDLE file;
    WCHAR* buffer;
    UINT used;
    UINT indent;  // tabs, at most kMaxIndent
};

// An element whose children are being written, or a document whose misc list
// and root are.
struct Frame {
    XmlNode* node;
    UINT next;       // index of the next child to write
    bool addedTab;
};

void Flush(Writer* w) {
    if (w->used) {
        DWORD written;
        WriteFile(w->file, w->buffer, w->used * sizeof(WCHAR), &written, nullptr);
    }
    w->used = 0;
}

inline void PutChar(Writer* w, WCHAR c) {
    if (w->used == kBufferChars) Flush(w);
    w->buffer[w->used++] = c;
}

void Put(Writer* w, const WCHAR* s) {
    if (!s) return;
    while (*s) PutChar(w, *s++);
}

void PutEscaped(Writer* w, const WCHAR* s) {
    if (!s) return;
    for (; *s; s++) {
        if (const WCHAR* entity = XmlEntityFor(*s)) Put(w, entity);
        else PutChar(w, *s);
    }
}

void PutIndent(Writer* w) {
    for (UINT i = 0; i < w->indent; i++) PutChar(w, L'\t');
}

void PutLineEnd(Writer* w) { Put(w, L"\r\n"); }

UINT CountOf(const PtrArray* list) { return list ? list->count : 0; }

void PutEndTag(Writer* w, const XmlElement* e) {
    Put(w, L"</");
    Put(w, e->name);
    Put(w, L">");
    PutLineEnd(w);
}

// Writes what fits on its own; returns true when the node needs a frame for
// children still to come.
bool WriteNodeStart(Writer* w, XmlNode* n, Frame* frame) {
    switch (n->type) {
    case XML_DOCUMENT: {
        XmlDocument* d = static_cast<XmlDocument*>(n);
        w->indent = 0;
        Put(w, L"<?xml");
        if (d->version) {
            Put(w, L" version=\"");
            Put(w, d->version);
            Put(w, L"\" ");
        }
        Put(w, L"?>");
        PutLineEnd(w);
        *frame = Frame{n, 0, false};
        return true;
    }
    case XML_ELEMENT: {
        XmlElement* e = static_cast<XmlElement*>(n);
        PutIndent(w);
        Put(w, L"<");
        Put(w, e->name);
        for (UINT i = 0; i < CountOf(e->attributes); i++) {
            XmlNode* a = static_cast<XmlNode*>(e->attributes->items[i]);
            if (!a) continue;
            if (a->type == XML_ATTRIBUTE) {
                Put(w, L" ");
                Put(w, static_cast<XmlAttribute*>(a)->name);
                Put(w, L"=\"");
                PutEscaped(w, static_cast<XmlAttribute*>(a)->value);
                Put(w, L"\"");
            }
        }
        UINT count = CountOf(e->children);
        XmlNode* only = count == 1 ? static_cast<XmlNode*>(e->children->items[0]) : nullptr;
        if (count == 0) {
            Put(w, L" />");
            PutLineEnd(w);
            return false;
        }
        if (only && only->type == XML_TEXT) {
            Put(w, L">");
            PutEscaped(w, static_cast<XmlText*>(only)->text);
            PutEndTag(w, e);
            return false;
        }
        Put(w, L">");
        PutLineEnd(w);
        bool added = w->indent < kMaxIndent;
        if (added) w->indent++;
        *frame = Frame{n, 0, added};
        return true;
    }
    case XML_ATTRIBUTE: {
        XmlAttribute* a = static_cast<XmlAttribute*>(n);
        Put(w, L" ");
        Put(w, a->name);
        Put(w, L"=\"");
        PutEscaped(w, a->value);
        Put(w, L"\"");
        return false;
    }
    case XML_TEXT: PutEscaped(w, static_cast<XmlText*>(n)->text); return false;
    case XML_COMMENT:
        PutIndent(w);
        Put(w, L"<!--");
        Put(w, static_cast<XmlComment*>(n)->text);
        Put(w, L"-->");
        PutLineEnd(w);
        return false;
    default: return false;  // processing instructions and unknown codes
    }
}

// The next node a frame has to write, or null when it is done.
XmlNode* NextOf(Frame* f) {
    if (f->node->type == XML_DOCUMENT) {
        XmlDocument* d = static_cast<XmlDocument*>(f->node);
        UINT misc = CountOf(d->misc);
        while (f->next < misc) {
            XmlNode* n = static_cast<XmlNode*>(d->misc->items[f->next++]);
            if (n) return n;
        }
        if (f->next == misc) {
            f->next++;
            if (d->root) return d->root;
        }
        return nullptr;
    }
    XmlElement* e = static_cast<XmlElement*>(f->node);
    while (f->next < CountOf(e->children)) {
        XmlNode* n = static_cast<XmlNode*>(e->children->items[f->next++]);
        if (n) return n;
    }
    return nullptr;
}

void FinishFrame(Writer* w, Frame* f) {
    if (f->node->type != XML_ELEMENT) return;
    if (f->addedTab && w->indent > 0) w->indent--;
    PutIndent(w);
    PutEndTag(w, static_cast<XmlElement*>(f->node));
}
}  // namespace

void WINAPI XmlWriteDocument(XmlNode* node, HANDLE file) {
    if (!node || !file) return;
    Writer w;
    w.file = file;
    w.buffer = static_cast<WCHAR*>(MemAlloc(kBufferChars * sizeof(WCHAR)));
    w.used = 0;
    w.indent = 0;
    PutChar(&w, 0xFEFF);

    Frame* frames = nullptr;
    UINT depth = 0, capacity = 0;
    Frame frame;
    if (WriteNodeStart(&w, node, &frame)) {
        capacity = 64;
        frames = static_cast<Frame*>(MemAlloc(capacity * sizeof(Frame)));
        frames[depth++] = frame;
    }
    while (depth) {
        XmlNode* n = NextOf(&frames[depth - 1]);
        if (!n) {
            FinishFrame(&w, &frames[--depth]);
            continue;
        }
        if (!WriteNodeStart(&w, n, &frame)) continue;
        if (depth == capacity) {
            capacity *= 2;
            frames = static_cast<Frame*>(MemRealloc(frames, capacity * sizeof(Frame)));
        }
        frames[depth++] = frame;
    }
    if (frames) MemFree(frames);
    Flush(&w);
    MemFree(w.buffer);
}
