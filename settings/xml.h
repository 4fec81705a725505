#pragma once
// The XML document model, parser and writer behind Settings.xml and behind the
// XML table handed to plug-ins. Every record is a plain heap block whose first
// field is the type code and whose other fields are 32 bits wide: plug-ins
// read and fill them directly, so the layouts below are part of the plug-in
// interface. Every operation is standard-call with 32-bit arguments because
// plug-ins call the very same functions through XmlAccessTable.
//
// Ownership: a document owns its strings, root and misc nodes; an element
// owns its name, attributes and children; XmlFreeNode frees all of that (it
// never unlinks from a parent). Strings stored into nodes by hand must come
// from the process heap (MemAlloc, or HeapAlloc on GetProcessHeap()).
//
// Not thread-safe: the last result code and the writer's indentation are
// process-wide, so parses, loads and writes never overlap.
#include <stddef.h>
#include <windows.h>

#include "core/runtime/ptr_array.h"

enum XmlNodeType : UINT {
    XML_DOCUMENT = 1,
    XML_ELEMENT = 2,
    XML_ATTRIBUTE = 3,
    XML_TEXT = 4,
    XML_COMMENT = 5,
    // 6 is not a node type.
    XML_PI = 7,
};

enum XmlResult : int {
    XML_OK = 0,
    XML_ERR_NO_TEXT = 1,  // XmlParseText got a null text
    XML_ERR_SYNTAX = 3,   // an expected character is missing or wrong
    XML_ERR_MARKUP = 4,   // a required keyword or closing delimiter is missing
    XML_ERR_END_TAG = 5,  // end tag name differs from the start tag's (ignoring case)
    XML_ERR_OPEN = 6,     // XmlLoadFile cannot open the file
    XML_ERR_ODD_SIZE = 7, // the file's length in bytes is odd
};

// The records. XmlNode is the common head; the others extend it, so any record
// pointer converts to XmlNode* and back by static_cast after checking type.
struct XmlNode {
    UINT type;  // XmlNodeType
};

struct XmlElement;

struct XmlDocument : XmlNode {
    WCHAR* version;      // "1.0" when made; the declaration's value after a parse
    WCHAR* encoding;     // null unless the declaration gives one
    UINT standalone;     // 1 yes, 0 no or not given
    XmlElement* root;    // or null
    PtrArray* misc;      // XmlComment and XmlPi outside the root, in order met
};

struct XmlElement : XmlNode {
    WCHAR* name;
    PtrArray* attributes;  // XmlAttribute, in document order
    PtrArray* children;    // XmlElement, XmlText, XmlComment, XmlPi, in order
};

struct XmlAttribute : XmlNode {
    WCHAR* name;
    WCHAR* value;
};

struct XmlText : XmlNode {
    WCHAR* text;  // character data and CDATA sections alike
};

struct XmlComment : XmlNode {
    WCHAR* text;
};

struct XmlPi : XmlNode {
    WCHAR* target;
    WCHAR* data;  // null when the instruction has no data
};

// Walks the child elements of one element, optionally only those of one name.
struct XmlIterator {
    XmlElement* element;
    WCHAR* name;    // own copy, or null to match every element
    LONG position;  // -1 before the first step
};

// --- Tree ---------------------------------------------------------------
void WINAPI XmlSetRoot(XmlDocument* document, XmlElement* element);
XmlElement* WINAPI XmlGetRoot(XmlDocument* document);
// A zero-filled node; documents get version "1.0" and an empty misc list,
// elements empty attribute and child lists. Null for 6 and codes outside 1-7.
XmlNode* WINAPI XmlCreateNode(UINT type);
// Frees the node and everything it owns; null does nothing. Never recurses,
// so trees of any depth can be freed.
void WINAPI XmlFreeNode(XmlNode* node);

void WINAPI XmlAppendChild(XmlElement* element, XmlNode* node);
UINT WINAPI XmlGetChildCount(XmlElement* element);
XmlNode* WINAPI XmlGetChild(XmlElement* element, UINT index);
// The text of the first XmlText child as stored in it (not a copy), or null.
WCHAR* WINAPI XmlGetText(XmlElement* element);
void WINAPI XmlRemoveChild(XmlElement* element, UINT index);

void WINAPI XmlAppendMisc(XmlDocument* document, XmlNode* node);
UINT WINAPI XmlGetMiscCount(XmlDocument* document);
XmlNode* WINAPI XmlGetMisc(XmlDocument* document, UINT index);
void WINAPI XmlRemoveMisc(XmlDocument* document, UINT index);

// Appends an attribute holding copies of name and value (value null: "").
void WINAPI XmlAddAttribute(XmlElement* element, const WCHAR* name, const WCHAR* value);
void WINAPI XmlAppendAttribute(XmlElement* element, XmlAttribute* attribute);
UINT WINAPI XmlGetAttributeCount(XmlElement* element);
XmlAttribute* WINAPI XmlGetAttribute(XmlElement* element, UINT index);
// First attribute whose name equals name ignoring case (lstrcmpiW).
XmlAttribute* WINAPI XmlFindAttribute(XmlElement* element, const WCHAR* name);
// Copies the found attribute's value with lstrcpynW; an empty string when the
// element has no such attribute (buffer untouched when size is 0).
void WINAPI XmlGetAttributeValue(XmlElement* element, const WCHAR* name, WCHAR* buffer, UINT size);
void WINAPI XmlRemoveAttribute(XmlElement* element, UINT index);

// Iterator over child elements whose name equals name case-sensitively
// (lstrcmpW), every child element when name is null. Null for a null or
// non-element first argument.
XmlIterator* WINAPI XmlOpenIterator(XmlElement* element, const WCHAR* name);
XmlElement* WINAPI XmlNextElement(XmlIterator* iterator);
void WINAPI XmlCloseIterator(XmlIterator* iterator);

// --- Parser -------------------------------------------------------------
// The caller owns the document (XmlFreeNode). Null on failure; the reason is
// then in XmlGetLastError.
XmlDocument* WINAPI XmlParseText(const WCHAR* text);
// A UTF-16 LE file, with or without the FF FE mark.
XmlDocument* WINAPI XmlLoadFile(const WCHAR* path);
int WINAPI XmlGetLastError();

// --- Writer -------------------------------------------------------------
// Writes FF FE and the node as tab-indented, CR LF-terminated UTF-16 at the
// file's position. Nothing when either argument is null; write failures are
// not reported. The caller opens and closes the file.
void WINAPI XmlWriteDocument(XmlNode* node, HANDLE file);

// --- Table for plug-ins -------------------------------------------------
// 29 words in memory the plug-in owns; it sets size to XML_ACCESS_TABLE_SIZE
// before asking for it.
struct XmlAccessTable {
    DWORD size;
    DWORD version;
    void(WINAPI* XmlSetRoot)(XmlDocument*, XmlElement*);
    XmlElement*(WINAPI* XmlGetRoot)(XmlDocument*);
    XmlNode*(WINAPI* XmlCreateNode)(UINT);
    void(WINAPI* XmlFreeNode)(XmlNode*);
    void(WINAPI* XmlAppendChild)(XmlElement*, XmlNode*);
    UINT(WINAPI* XmlGetChildCount)(XmlElement*);
    XmlNode*(WINAPI* XmlGetChild)(XmlElement*, UINT);
    WCHAR*(WINAPI* XmlGetText)(XmlElement*);
    void(WINAPI* XmlRemoveChild)(XmlElement*, UINT);
    void(WINAPI* XmlAppendMisc)(XmlDocument*, XmlNode*);
    UINT(WINAPI* XmlGetMiscCount)(XmlDocument*);
    XmlNode*(WINAPI* XmlGetMisc)(XmlDocument*, UINT);
    void(WINAPI* XmlRemoveMisc)(XmlDocument*, UINT);
    void(WINAPI* XmlAddAttribute)(XmlElement*, const WCHAR*, const WCHAR*);
    void(WINAPI* XmlAppendAttribute)(XmlElement*, XmlAttribute*);
    UINT(WINAPI* XmlGetAttributeCount)(XmlElement*);
    XmlAttribute*(WINAPI* XmlGetAttribute)(XmlElement*, UINT);
    XmlAttribute*(WINAPI* XmlFindAttribute)(XmlElement*, const WCHAR*);
    void(WINAPI* XmlGetAttributeValue)(XmlElement*, const WCHAR*, WCHAR*, UINT);
    void(WINAPI* XmlRemoveAttribute)(XmlElement*, UINT);
    XmlIterator*(WINAPI* XmlOpenIterator)(XmlElement*, const WCHAR*);
    XmlElement*(WINAPI* XmlNextElement)(XmlIterator*);
    void(WINAPI* XmlCloseIterator)(XmlIterator*);
    void(WINAPI* XmlWriteDocument)(XmlNode*, HANDLE);
    XmlDocument*(WINAPI* XmlParseText)(const WCHAR*);
    XmlDocument*(WINAPI* XmlLoadFile)(const WCHAR*);
    int(WINAPI* XmlGetLastError)();
};

// 116 in the product (32-bit) build; the 64-bit test build has wider entries.
enum : DWORD { XML_ACCESS_TABLE_SIZE = sizeof(XmlAccessTable), XML_ACCESS_TABLE_VERSION = 1 };

// For HC_GET_XML_TABLE: 8 (table untouched) when size is not 116, 1 for a
// null table, else fills version and every entry and returns 0.
int XmlFillAccessTable(XmlAccessTable* table);

// --- Layout checks: these records cross the plug-in boundary ---------------
// Fixed in the 32-bit product build (the 64-bit test build only widens the
// pointers). The records extend XmlNode, which GCC lays out like a leading
// field; the offsets are checked all the same.
#if !defined(_WIN64)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(sizeof(XmlNode) == 4, "type code is one word");
static_assert(sizeof(XmlDocument) == 24 && offsetof(XmlDocument, version) == 4 &&
                  offsetof(XmlDocument, encoding) == 8 && offsetof(XmlDocument, standalone) == 12 &&
                  offsetof(XmlDocument, root) == 16 && offsetof(XmlDocument, misc) == 20,
              "XmlDocument layout");
static_assert(sizeof(XmlElement) == 16 && offsetof(XmlElement, name) == 4 &&
                  offsetof(XmlElement, attributes) == 8 && offsetof(XmlElement, children) == 12,
              "XmlElement layout");
static_assert(sizeof(XmlAttribute) == 12 && offsetof(XmlAttribute, name) == 4 &&
                  offsetof(XmlAttribute, value) == 8,
              "XmlAttribute layout");
static_assert(sizeof(XmlText) == 8 && offsetof(XmlText, text) == 4, "XmlText layout");
static_assert(sizeof(XmlComment) == 8 && offsetof(XmlComment, text) == 4, "XmlComment layout");
static_assert(sizeof(XmlPi) == 12 && offsetof(XmlPi, target) == 4 && offsetof(XmlPi, data) == 8,
              "XmlPi layout");
static_assert(sizeof(XmlIterator) == 12 && offsetof(XmlIterator, name) == 4 &&
                  offsetof(XmlIterator, position) == 8,
              "XmlIterator layout");
static_assert(sizeof(XmlAccessTable) == XML_ACCESS_TABLE_SIZE, "XmlAccessTable is 29 words");
static_assert(offsetof(XmlAccessTable, version) == 4 && offsetof(XmlAccessTable, XmlSetRoot) == 8 &&
                  offsetof(XmlAccessTable, XmlCloseIterator) == 24 * 4 &&
                  offsetof(XmlAccessTable, XmlWriteDocument) == 25 * 4 &&
                  offsetof(XmlAccessTable, XmlGetLastError) == 28 * 4,
              "XmlAccessTable entry order");
#pragma GCC diagnostic pop
#endif
