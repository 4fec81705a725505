// The parser: a small XML dialect read from UTF-16 text. Element nesting is
// walked with an explicit stack of open elements on the heap, never with
// recursion, so no input depth can exhaust the thread's stack.
#include "core/runtime/memory.h"
#include "core/runtime/ptr_array.h"
#include "settings/xml.h"
#include "settings/xml_chars.h"
#include "settings/xml_internal.h"

int g_xmlLastError;

namespace {
struct Parser {
    const WCHAR* p;  // the cursor
    int error;
    XmlPtrStack open;  // elements whose end tag is still to come
    XmlArena* arena;   // where the tree goes; null for the heap
};

// Every node, string and list slot of the tree comes from here.
XmlNode* NewNode(Parser* ps, UINT type) {
    if (!ps->arena) return XmlCreateNode(type);
    SIZE_T size = XmlNodeBlockSize(type);
    XmlNode* n = static_cast<XmlNode*>(XmlArenaAlloc(ps->arena, size));
    ZeroMemory(n, size);
    XmlNodeInit(n, type);
    return n;
}

WCHAR* CopyChars(Parser* ps, const WCHAR* s, UINT n) {
    if (!ps->arena) return XmlCopyChars(s, n);
    WCHAR* copy = static_cast<WCHAR*>(XmlArenaAlloc(ps->arena, (n + 1) * sizeof(WCHAR)));
    CopyMemory(copy, s, n * sizeof(WCHAR));
    copy[n] = 0;
    return copy;
}

// owner is the element whose list it is, or null for the document's.
void ListAdd(Parser* ps, XmlElement* owner, PtrArray* list, void* item) {
    if (!ps->arena) {
        if (owner)
            XmlListAdd(owner, list, item);
        else
            PtrArrayAdd(list, item);
        return;
    }
    // Arena lists double; the old slots stay in the arena until it goes.
    if (list->count == list->capacity) {
        UINT capacity = list->capacity ? list->capacity * 2 : 4;
        void** items = static_cast<void**>(XmlArenaAlloc(ps->arena, capacity * sizeof(void*)));
        if (list->count) CopyMemory(items, list->items, list->count * sizeof(void*));
        list->items = items;
        list->capacity = capacity;
    }
    list->items[list->count++] = item;
}

inline bool Fail(Parser* ps, int code) {
    ps->error = code;
    return false;
}

inline void SkipSpace(Parser* ps) {
    while (XmlIsSpace(*ps->p)) ps->p++;
}

// Length of the Name at p, 0 when none starts there.
inline UINT NameLength(const WCHAR* p) {
    if (!XmlIsNameStart(*p)) return 0;
    const WCHAR* q = p + 1;
    while (XmlIsNameChar(*q)) q++;
    return static_cast<UINT>(q - p);
}

inline bool IsQuote(WCHAR c) { return c == L'"' || c == L'\''; }

// The five predefined entities; every other ampersand stays as written.
struct Entity {
    const WCHAR* text;
    int length;
    WCHAR value;
};
constexpr Entity kEntities[] = {
    {L"&quot;", 6, L'"'}, {L"&apos;", 6, L'\''}, {L"&amp;", 5, L'&'}, {L"&lt;", 4, L'<'}, {L"&gt;", 4, L'>'},
};

// Copies n characters into a block of n + 1, decoding entities and then
// collapsing every whitespace stretch to one space. Entities never decode to
// whitespace, so one left-to-right pass gives the same result as decoding
// first and collapsing afterwards.
WCHAR* CopyDecoded(Parser* ps, const WCHAR* s, UINT n) {
    WCHAR* out = ps->arena ? static_cast<WCHAR*>(XmlArenaAlloc(ps->arena, (n + 1) * sizeof(WCHAR)))
                           : static_cast<WCHAR*>(MemAlloc((n + 1) * sizeof(WCHAR)));
    UINT o = 0;
    bool inSpace = false;
    for (UINT i = 0; i < n;) {
        WCHAR c = s[i];
        if (XmlIsSpace(c)) {
            if (!inSpace) out[o++] = L' ';
            inSpace = true;
            i++;
            continue;
        }
        inSpace = false;
        if (c == L'&') {
            const Entity* hit = nullptr;
            for (const Entity& e : kEntities) {
                // An entity must lie wholly inside the run, as it would in a
                // terminated copy of it.
                if (n - i >= static_cast<UINT>(e.length) && XmlKeyword(s + i, e.text, e.length, true)) {
                    hit = &e;
                    break;
                }
            }
            if (hit) {
                out[o++] = hit->value;
                i += hit->length;
                continue;
            }
        }
        out[o++] = c;
        i++;
    }
    out[o] = 0;
    return out;
}

// Equals sign with optional whitespace around it.
bool ReadEquals(Parser* ps) {
    SkipSpace(ps);
    if (*ps->p != L'=') return Fail(ps, XML_ERR_SYNTAX);
    ps->p++;
    SkipSpace(ps);
    return true;
}

inline bool IsAsciiAlnum(WCHAR c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9');
}

// keyword, "=", a quoted run of allowed characters; *value gets a copy.
bool ReadDeclarationPart(Parser* ps, const WCHAR* keyword, int length, bool allowColon, WCHAR** value) {
    if (!XmlKeyword(ps->p, keyword, length)) return Fail(ps, XML_ERR_MARKUP);
    ps->p += length;
    if (!ReadEquals(ps)) return false;
    WCHAR quote = *ps->p;
    if (!IsQuote(quote)) return Fail(ps, XML_ERR_SYNTAX);
    const WCHAR* start = ++ps->p;
    for (;; ps->p++) {
        WCHAR c = *ps->p;
        if (!(IsAsciiAlnum(c) || c == L'_' || c == L'.' || c == L'-' || (allowColon && c == L':'))) break;
    }
    if (ps->p == start || *ps->p != quote) return Fail(ps, XML_ERR_SYNTAX);
    *value = CopyChars(ps, start, static_cast<UINT>(ps->p - start));
    ps->p++;
    return true;
}

bool ReadStandalone(Parser* ps, XmlDocument* d) {
    if (!XmlKeyword(ps->p, L"standalone", 10)) return Fail(ps, XML_ERR_MARKUP);
    ps->p += 10;
    if (!ReadEquals(ps)) return false;
    WCHAR quote = *ps->p;
    if (!IsQuote(quote)) return Fail(ps, XML_ERR_SYNTAX);
    ps->p++;
    d->standalone = 1;
    if (XmlKeyword(ps->p, L"yes", 3)) {
        ps->p += 3;
    } else if (XmlKeyword(ps->p, L"no", 2)) {
        d->standalone = 0;
        ps->p += 2;
    }
    if (*ps->p != quote) return Fail(ps, XML_ERR_SYNTAX);
    ps->p++;
    SkipSpace(ps);
    return true;
}

bool ReadDeclaration(Parser* ps, XmlDocument* d) {
    if (!XmlKeyword(ps->p, L"<?xml", 5, true)) return Fail(ps, XML_ERR_MARKUP);
    ps->p += 5;
    if (!XmlIsSpace(*ps->p)) return Fail(ps, XML_ERR_SYNTAX);
    SkipSpace(ps);
    WCHAR* version = nullptr;
    if (!ReadDeclarationPart(ps, L"version", 7, true, &version)) return false;
    if (!ps->arena) MemFree(d->version);
    d->version = version;
    if (XmlIsSpace(*ps->p)) {
        SkipSpace(ps);
        if (*ps->p == L'e') {
            if (!ReadDeclarationPart(ps, L"encoding", 8, false, &d->encoding)) return false;
            if (XmlIsSpace(*ps->p)) {
                SkipSpace(ps);
                if (*ps->p == L's' && !ReadStandalone(ps, d)) return false;
            }
        } else if (*ps->p == L's') {
            if (!ReadStandalone(ps, d)) return false;
        }
    }
    if (!XmlKeyword(ps->p, L"?>", 2)) return Fail(ps, XML_ERR_MARKUP);
    ps->p += 2;
    return true;
}

// After "<!--": text up to the first "--", which must close with ">".
XmlNode* ReadComment(Parser* ps) {
    const WCHAR* start = ps->p;
    const WCHAR* q = start;
    while (*q && !(q[0] == L'-' && q[1] == L'-')) q++;
    if (!*q || q[2] != L'>') {
        Fail(ps, XML_ERR_MARKUP);
        return nullptr;
    }
    XmlComment* c = static_cast<XmlComment*>(NewNode(ps, XML_COMMENT));
    c->text = CopyChars(ps, start, static_cast<UINT>(q - start));
    ps->p = q + 3;
    return c;
}

// After "<?": a target that does not begin with "xml", optional data, "?>".
XmlNode* ReadPi(Parser* ps) {
    if (XmlKeyword(ps->p, L"xml", 3, true)) {
        Fail(ps, XML_ERR_MARKUP);
        return nullptr;
    }
    UINT n = NameLength(ps->p);
    if (!n) {
        Fail(ps, XML_ERR_SYNTAX);
        return nullptr;
    }
    const WCHAR* target = ps->p;
    ps->p += n;
    const WCHAR* data = ps->p;
    if (XmlIsSpace(*ps->p)) {
        SkipSpace(ps);
        data = ps->p;
        while (*ps->p && !(ps->p[0] == L'?' && ps->p[1] == L'>')) ps->p++;
    }
    if (!XmlKeyword(ps->p, L"?>", 2)) {
        Fail(ps, XML_ERR_MARKUP);
        return nullptr;
    }
    XmlPi* pi = static_cast<XmlPi*>(NewNode(ps, XML_PI));
    pi->target = CopyChars(ps, target, n);
    if (ps->p > data) pi->data = CopyChars(ps, data, static_cast<UINT>(ps->p - data));
    ps->p += 2;
    return pi;
}

// After "<![CDATA[": everything up to the first "]]>", unchanged.
XmlNode* ReadCdata(Parser* ps) {
    const WCHAR* start = ps->p;
    const WCHAR* q = start;
    while (*q && !(q[0] == L']' && q[1] == L']' && q[2] == L'>')) q++;
    if (!*q) {
        Fail(ps, XML_ERR_MARKUP);
        return nullptr;
    }
    XmlText* t = static_cast<XmlText*>(NewNode(ps, XML_TEXT));
    t->text = CopyChars(ps, start, static_cast<UINT>(q - start));
    ps->p = q + 3;
    return t;
}

// Comments and processing instructions before or after the root.
bool ReadMisc(Parser* ps, XmlDocument* d) {
    for (;;) {
        SkipSpace(ps);
        XmlNode* n;
        if (XmlKeyword(ps->p, L"<!--", 4)) {
            ps->p += 4;
            n = ReadComment(ps);
        } else if (XmlKeyword(ps->p, L"<?", 2)) {
            ps->p += 2;
            n = ReadPi(ps);
        } else {
            return true;
        }
        if (!n) return false;
        ListAdd(ps, nullptr, d->misc, n);
    }
}

// Name = "value" inside a start tag.
bool ReadAttribute(Parser* ps, XmlElement* e) {
    UINT n = NameLength(ps->p);
    if (!n) return Fail(ps, XML_ERR_SYNTAX);
    const WCHAR* name = ps->p;
    ps->p += n;
    if (!ReadEquals(ps)) return false;
    WCHAR quote = *ps->p;
    if (!IsQuote(quote)) return Fail(ps, XML_ERR_SYNTAX);
    const WCHAR* start = ++ps->p;
    const WCHAR* q = start;
    while (*q && *q != quote && *q != L'<') q++;
    if (*q != quote) return Fail(ps, XML_ERR_SYNTAX);
    XmlAttribute* a = static_cast<XmlAttribute*>(NewNode(ps, XML_ATTRIBUTE));
    a->name = CopyChars(ps, name, n);
    a->value = CopyDecoded(ps, start, static_cast<UINT>(q - start));
    ListAdd(ps, e, e->attributes, a);
    ps->p = q + 1;
    return true;
}

// From "<" to the end of the start tag. The element is linked into its
// parent (or made the root) before its attributes are read, so a failure
// anywhere leaves nothing but the document to free. *empty tells "/>".
bool ReadStartTag(Parser* ps, XmlDocument* d, XmlElement* parent, bool* empty) {
    if (*ps->p != L'<') return Fail(ps, XML_ERR_SYNTAX);
    ps->p++;
    UINT n = NameLength(ps->p);
    if (!n) return Fail(ps, XML_ERR_SYNTAX);
    XmlElement* e = static_cast<XmlElement*>(NewNode(ps, XML_ELEMENT));
    e->name = CopyChars(ps, ps->p, n);
    ps->p += n;
    if (parent)
        ListAdd(ps, parent, parent->children, e);
    else
        d->root = e;
    while (XmlIsSpace(*ps->p)) {
        SkipSpace(ps);
        if (*ps->p == L'/' || *ps->p == L'>') break;
        if (!ReadAttribute(ps, e)) return false;
    }
    if (*ps->p == L'/') {
        if (ps->p[1] != L'>') return Fail(ps, XML_ERR_SYNTAX);
        ps->p += 2;
        *empty = true;
        return true;
    }
    if (*ps->p != L'>') return Fail(ps, XML_ERR_SYNTAX);
    ps->p++;
    *empty = false;
    XmlStackPush(&ps->open, e);
    return true;
}

// After "</": the name must match the open element's, ignoring case.
bool ReadEndTag(Parser* ps, XmlElement* e) {
    UINT n = NameLength(ps->p);
    if (!n) return Fail(ps, XML_ERR_SYNTAX);
    const WCHAR* name = ps->p;
    ps->p += n;
    SkipSpace(ps);
    // Names never hold a terminator, so a shorter start name stops the loop.
    UINT i = 0;
    while (i < n && e->name[i] == name[i]) i++;
    bool same = i == n && e->name[n] == 0;
    if (!same) {
        WCHAR* copy = XmlCopyChars(name, n);
        same = XmlNameEqualsNoCase(e->name, copy);
        MemFree(copy);
        if (!same) return Fail(ps, XML_ERR_END_TAG);
    }
    if (*ps->p != L'>') return Fail(ps, XML_ERR_SYNTAX);
    ps->p++;
    return true;
}

// A run of character data up to "<", "]]>" or the end of the text; dropped
// when it holds only whitespace (it would collapse to a single space).
void ReadTextRun(Parser* ps, XmlElement* e) {
    const WCHAR* start = ps->p;
    const WCHAR* q = start;
    bool onlySpace = true;
    for (;; q++) {
        WCHAR c = *q;
        if (c == L'<' || c == 0 || (c == L']' && q[1] == L']' && q[2] == L'>')) break;
        if (onlySpace && !XmlIsSpace(c)) onlySpace = false;
    }
    ps->p = q;
    // An empty run (at "]]>" or the end) is always followed by an error, so
    // it needs no node.
    if (onlySpace) return;
    XmlText* t = static_cast<XmlText*>(NewNode(ps, XML_TEXT));
    t->text = CopyDecoded(ps, start, static_cast<UINT>(q - start));
    ListAdd(ps, e, e->children, t);
}

// The root element and everything inside it.
bool ReadElementTree(Parser* ps, XmlDocument* d) {
    bool empty;
    if (!ReadStartTag(ps, d, nullptr, &empty)) return false;
    while (ps->open.count) {
        XmlElement* e = static_cast<XmlElement*>(ps->open.items[ps->open.count - 1]);
        if (*ps->p != L'<') ReadTextRun(ps, e);
        if (XmlKeyword(ps->p, L"</", 2)) {
            ps->p += 2;
            if (!ReadEndTag(ps, e)) return false;
            ps->open.count--;
            continue;
        }
        if (*ps->p != L'<') return Fail(ps, XML_ERR_SYNTAX);
        // A start tag's first letter can be no other markup's "!" or "?",
        // under any comparison: the keyword tests are passed over for it.
        if (IsAsciiAlnum(ps->p[1]) || ps->p[1] == L'_') {
            if (!ReadStartTag(ps, d, e, &empty)) return false;
            continue;
        }
        XmlNode* n;
        if (XmlKeyword(ps->p, L"<![CDATA[", 9)) {
            ps->p += 9;
            n = ReadCdata(ps);
        } else if (XmlKeyword(ps->p, L"<!--", 4)) {
            ps->p += 4;
            n = ReadComment(ps);
        } else if (XmlKeyword(ps->p, L"<?", 2)) {
            ps->p += 2;
            n = ReadPi(ps);
        } else {
            if (!ReadStartTag(ps, d, e, &empty)) return false;
            continue;
        }
        if (!n) return false;
        ListAdd(ps, e, e->children, n);
    }
    return true;
}
}  // namespace

XmlDocument* XmlParseTextIn(const WCHAR* text, XmlArena* arena) {
    g_xmlLastError = XML_OK;
    if (!text) {
        g_xmlLastError = XML_ERR_NO_TEXT;
        return nullptr;
    }
    XmlCharClassPrepare();
    Parser ps;
    ps.p = text;
    ps.error = XML_OK;
    ps.arena = arena;
    XmlStackInit(&ps.open);
    XmlDocument* d = static_cast<XmlDocument*>(NewNode(&ps, XML_DOCUMENT));
    if (arena) d->version = CopyChars(&ps, L"1.0", 3);
    bool ok = ReadDeclaration(&ps, d) && ReadMisc(&ps, d) && ReadElementTree(&ps, d) && ReadMisc(&ps, d);
    XmlStackFree(&ps.open);
    if (!ok) {
        g_xmlLastError = ps.error;
        if (!arena) XmlFreeNode(d);
        return nullptr;
    }
    return d;
}

XmlDocument* WINAPI XmlParseText(const WCHAR* text) { return XmlParseTextIn(text, nullptr); }

int WINAPI XmlGetLastError() { return g_xmlLastError; }

XmlDocument* XmlLoadFileIn(const WCHAR* path, XmlArena* arena) {
    g_xmlLastError = XML_OK;
    HANDLE file = path ? CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                       : INVALID_HANDLE_VALUE;
    if (file == INVALID_HANDLE_VALUE) {
        g_xmlLastError = XML_ERR_OPEN;
        return nullptr;
    }
    DWORD size = GetFileSize(file, nullptr);
    if (size & 1) {
        CloseHandle(file);
        g_xmlLastError = XML_ERR_ODD_SIZE;
        return nullptr;
    }
    // The whole file in one read; a leading FF FE is stepped over in memory.
    WCHAR* buffer = size < 0x7FFFFFF0 ? static_cast<WCHAR*>(MemAlloc(static_cast<SIZE_T>(size) + 2)) : nullptr;
    if (!buffer) {
        // Too large for the heap: as good as unreadable.
        CloseHandle(file);
        g_xmlLastError = XML_ERR_OPEN;
        return nullptr;
    }
    DWORD read = 0;
    if (!ReadFile(file, buffer, size, &read, nullptr)) read = 0;
    CloseHandle(file);
    buffer[read / 2] = 0;
    const WCHAR* text = buffer;
    if (read >= 2 && buffer[0] == 0xFEFF) text++;
    XmlDocument* d = XmlParseTextIn(text, arena);
    MemFree(buffer);
    return d;
}

XmlDocument* WINAPI XmlLoadFile(const WCHAR* path) { return XmlLoadFileIn(path, nullptr); }
