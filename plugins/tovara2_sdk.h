/*
 * Tovara2 plug-in interface, version 1.0 (host 2.0.4).
 *
 * The one header a package author needs; docs/plugin-guide.md walks through
 * writing, building and enabling a package. A package is a DLL in the host's
 * Plugins folder that exports TV2PackageProc by its plain name: with MinGW
 * link with -Wl,--kill-at (or a .def file), with MSVC use a .def file
 * containing "EXPORTS TV2PackageProc". Plain C; compiles as C89/C99/C11 and
 * as C++98 or later.
 *
 * The records below are shared memory between host and package: their
 * 32-bit layouts are fixed and checked at the end of this file. A 64-bit
 * build (a 64-bit host) widens every pointer and handle; the DWORD fields
 * stay 32 bits.
 *
 * The names without a TV2_ prefix (PKG_, HC_, MODULE_MSG_SETTINGS,
 * SETTINGS_LOAD/SAVE, PackageInfo, PackageRecord, ModuleDescriptor,
 * ModuleRecord) are the published interface: packages written against it
 * use them, so they keep their names.
 */
#ifndef TOVARA2_SDK_H
#define TOVARA2_SDK_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Package entry point ------------------------------------------------ */

/* Messages the host sends to TV2PackageProc(message, arg1, arg2). The DLL is
   also loaded, asked PKG_GET_INFO and freed again when it is not enabled, so
   DllMain and PKG_GET_INFO must do nothing else. */
#define PKG_GET_INFO 1      /* -> (UINT_PTR)&PackageInfo, or 0 */
#define PKG_INIT 2          /* arg1 PackageRecord*, arg2 TV2HostCallback; nonzero = success.
                               Register modules and read package settings here. */
#define PKG_EXIT 3          /* after every module window is gone; the last message */
#define PKG_LOAD_SETTINGS 4 /* after a profile switch (not at start: read in PKG_INIT) */
#define PKG_SAVE_SETTINGS 5 /* before a profile is left and at exit (not at unload) */
/* The options panel of the configuration window's Plugins page, on that
   window's thread. arg2 is the panel: create ONE child window of your own
   class in it (its client rectangle, which stays fixed while shown) and put
   your controls in that child, which receives their WM_COMMAND; apply each
   change at once. At PKG_HIDE_OPTIONS destroy that child. Never subclass
   the panel or draw on it. */
#define PKG_SHOW_OPTIONS 6  /* arg1 ModuleRecord* or 0 (the package's own), arg2 HWND panel */
#define PKG_HIDE_OPTIONS 7  /* arg1 as at PKG_SHOW_OPTIONS, arg2 0 */

typedef UINT_PTR(WINAPI* TV2PackageProcFn)(UINT message, UINT_PTR arg1, UINT_PTR arg2);

/* What PKG_GET_INFO points at; owned by the package. website may be null. */
typedef struct PackageInfo {
    const WCHAR* name;
    const WCHAR* author;
    const WCHAR* website;
} PackageInfo;

/* ---- Records ------------------------------------------------------------ */

#define TV2_PACKAGE_RECORD_TAG 36  /* first word of every PackageRecord */
#define TV2_MODULE_RECORD_TAG 268  /* first word of every ModuleRecord */

/* The host's record of one package; read-only for the package. */
typedef struct PackageRecord {
    DWORD size;          /* TV2_PACKAGE_RECORD_TAG: a tag, the size only in 32-bit builds */
    WCHAR* fileName;     /* file name in Plugins, the package's identity */
    WCHAR* name;
    WCHAR* author;
    WCHAR* website;      /* or null */
    HMODULE module;      /* library while loaded */
    FARPROC entry;       /* TV2PackageProc while loaded */
    DWORD initialised;   /* 1 from PKG_INIT until PKG_EXIT returned */
    DWORD flags;         /* TV2_PACKAGE_NO_UNINSTALL */
} PackageRecord;

/* Set by a package in its record's flags: the configuration window then
   offers no "Uninstall Package" for it. */
#define TV2_PACKAGE_NO_UNINSTALL 0x1

#define TV2_MODULE_NAME_CHARS 118  /* including the terminator */

/* Filled by the package and passed to HC_REGISTER_MODULE; the host copies it. */
typedef struct ModuleDescriptor {
    WCHAR name[TV2_MODULE_NAME_CHARS]; /* unique within the package */
    WNDPROC windowProc;                /* runs on the host's plug-in thread */
    LONG width;                        /* pixels; change later with HC_SET_MODULE_WIDTH */
    DWORD userData;                    /* yours; HC_GET_USER_DATA returns it. 32 bits in
                                          every build: an index, not a pointer */
    DWORD showOnCreate;                /* nonzero: shown as soon as created */
    DWORD reserved;                    /* yours; copied, never read */
} ModuleDescriptor;

/* The host's record of one module; HC_REGISTER_MODULE hands out a pointer. */
typedef struct ModuleRecord {
    DWORD size;                   /* TV2_MODULE_RECORD_TAG: a tag, the size only in 32-bit builds */
    ModuleDescriptor descriptor;  /* the host's copy, with the current width */
    HWND window;                  /* the module window while active */
    PackageRecord* package;
} ModuleRecord;

/* A module's window procedure returns non-zero to answer a message with that
   value, and 0 for the host's default handling (DefWindowProc; an unhandled
   WM_CONTEXTMENU opens the bar's menu). WM_NCCREATE, WM_NCDESTROY, WM_MOVE,
   WM_SIZE and WM_ERASEBKGND never reach it; WM_DESTROY's answer is ignored.
   Messages WM_APP + 0x40 up to 0xBFFF on a module window are the module's
   own; the host uses only MODULE_MSG_SETTINGS below them. */

/* Sent straight to a module's window procedure (not through the queue), on
   the plug-in thread (during a profile switch possibly on another host
   thread). Answer 0. */
#define MODULE_MSG_SETTINGS 0x8002 /* WM_APP + 2; wParam one of: */
#define SETTINGS_LOAD 0x10000
#define SETTINGS_SAVE 0x20000

/* Every active module gets WM_TIMER with this id once a second. */
#define TV2_MODULE_TIMER_ID 4919

/* The host's window class for module windows. */
#define TV2_MODULE_CLASS L"Tovara2Module"

/* ---- Host callback ------------------------------------------------------ */

/* HostCallback(code, record, arg1, arg2): record is a PackageRecord or a
   ModuleRecord (told apart by their first word) or null where allowed.
   Callable from any thread. HC_REGISTER_MODULE, HC_UNREGISTER_MODULE,
   HC_ACTIVATE_MODULE and HC_SHOW_MODULE wait for the host's plug-in thread
   (run at once on it); every other code answers on the calling thread.
   Unknown codes answer HC_OK and do nothing. */
typedef UINT(WINAPI* TV2HostCallback)(UINT code, void* record, UINT_PTR arg1, UINT_PTR arg2);

#define HC_GET_VERSION 0x8001        /* arg1 DWORD* interface, arg2 DWORD* host */
#define HC_REGISTER_MODULE 0x8002    /* PackageRecord; arg1 ModuleDescriptor*, arg2 ModuleRecord** */
#define HC_UNREGISTER_MODULE 0x8003  /* ModuleRecord */
#define HC_ACTIVATE_MODULE 0x8004    /* ModuleRecord; arg1 nonzero activate, 0 deactivate */
#define HC_SHOW_MODULE 0x8005        /* ModuleRecord; arg1 nonzero show, 0 hide */
#define HC_SET_MODULE_WIDTH 0x8006   /* ModuleRecord; arg1 width; no wait: laid out later */
#define HC_MODULE_FROM_WINDOW 0x8007 /* arg1 HWND of a module window, arg2 ModuleRecord** (UINT_PTR*) */
#define HC_GET_DESCRIPTOR 0x8008     /* ModuleRecord; arg1 ModuleDescriptor* */
#define HC_GET_USER_DATA 0x8009      /* ModuleRecord; arg1 DWORD* */

/* Settings: arg1 is the path. Relative paths live under the package's node
   (a PackageRecord) or the module's node (a ModuleRecord); "a/b" makes node
   a on writing; a path starting with '/' reads from the profile's top level
   and is refused for writing. Names starting with '_' belong to the host:
   packages read them, never write or delete them (HC_ERR_REFUSED). */
#define HC_SETTING_EXISTS 0x8100 /* 1 exists, 0 not, 3 no record; pass a path: null also gives 1 */
#define HC_DELETE_SETTING 0x8101
#define HC_GET_INT 0x8102        /* arg2 DWORD*; missing: HC_ERR_SETTING, *arg2 untouched */
#define HC_SET_INT 0x8103        /* arg2 the value */
#define HC_GET_BOOL 0x8104       /* arg2 DWORD* */
#define HC_SET_BOOL 0x8105       /* arg2 the value */
#define HC_GET_STRING 0x8106     /* arg2 WCHAR**, null when missing; free with HeapFree(GetProcessHeap(), 0, s) */
#define HC_SET_STRING 0x8107     /* arg2 const WCHAR* */

#define HC_GET_XML_TABLE 0x8190  /* arg1 TV2XmlAccessTable* with size set */
#define HC_GET_FONT_TABLE 0x8191 /* arg1 TV2FontTable* with size set */
#define HC_PLACE_POPUP 0x8202    /* ModuleRecord; arg1 RECT* (in: only its size counts, out: screen),
                                    arg2 POINT* (in: module client coordinates, out: screen) */

/* Results. */
#define HC_OK 0
#define HC_ERR_NULL_ARGUMENT 1
#define HC_ERR_RECORD 2
#define HC_ERR_SETTING 3
#define HC_ERR_REFUSED 4
#define HC_ERR_NO_WINDOW 5
#define HC_ERR_TABLE_SIZE 8
#define HC_ERR_REQUEST 99 /* a module request was not carried out (already in that state,
                             window or record not made, plug-in thread gone) */

#define TV2_INTERFACE_VERSION 0x00010000 /* 1.0 */
#define TV2_HOST_VERSION 0x00040002      /* 2.0.4: major bits 0-7, minor 8-15, revision 16-23 */

/* ---- XML access table --------------------------------------------------- */

/* Node records of the host's XML code. Plug-ins read them and may fill them;
   strings stored into them by hand must come from HeapAlloc(GetProcessHeap()),
   because TV2Xml.XmlFreeNode releases them there. */
#define TV2_XML_DOCUMENT 1
#define TV2_XML_ELEMENT 2
#define TV2_XML_ATTRIBUTE 3
#define TV2_XML_TEXT 4
#define TV2_XML_COMMENT 5
#define TV2_XML_PI 7

typedef struct TV2XmlNode {
    UINT type; /* TV2_XML_... */
} TV2XmlNode;

struct TV2XmlElement;

typedef struct TV2XmlDocument {
    UINT type;
    WCHAR* version;
    WCHAR* encoding;       /* or null */
    UINT standalone;
    struct TV2XmlElement* root;
    void* misc;            /* host list of comments and PIs: use XmlGetMisc */
} TV2XmlDocument;

typedef struct TV2XmlElement {
    UINT type;
    WCHAR* name;
    void* attributes;      /* host list: use XmlGetAttribute */
    void* children;        /* host list: use XmlGetChild */
} TV2XmlElement;

typedef struct TV2XmlAttribute {
    UINT type;
    WCHAR* name;
    WCHAR* value;
} TV2XmlAttribute;

typedef struct TV2XmlText {
    UINT type;
    WCHAR* text;
} TV2XmlText;

typedef struct TV2XmlComment {
    UINT type;
    WCHAR* text;
} TV2XmlComment;

typedef struct TV2XmlPi {
    UINT type;
    WCHAR* target;
    WCHAR* data;           /* or null */
} TV2XmlPi;

typedef struct TV2XmlIterator {
    TV2XmlElement* element;
    WCHAR* name;
    LONG position;
} TV2XmlIterator;

/* Result codes of XmlGetLastError. */
#define TV2_XML_OK 0
#define TV2_XML_ERR_NO_TEXT 1
#define TV2_XML_ERR_SYNTAX 3
#define TV2_XML_ERR_MARKUP 4
#define TV2_XML_ERR_END_TAG 5
#define TV2_XML_ERR_OPEN 6
#define TV2_XML_ERR_ODD_SIZE 7

/* Filled by HC_GET_XML_TABLE: set size to TV2_XML_TABLE_SIZE first. The
   entries are the host's own functions; every one is standard-call. */
typedef struct TV2XmlAccessTable {
    DWORD size;
    DWORD version; /* 1 */
    void(WINAPI* XmlSetRoot)(TV2XmlDocument* document, TV2XmlElement* element);
    TV2XmlElement*(WINAPI* XmlGetRoot)(TV2XmlDocument* document);
    TV2XmlNode*(WINAPI* XmlCreateNode)(UINT type);
    void(WINAPI* XmlFreeNode)(TV2XmlNode* node);
    void(WINAPI* XmlAppendChild)(TV2XmlElement* element, TV2XmlNode* node);
    UINT(WINAPI* XmlGetChildCount)(TV2XmlElement* element);
    TV2XmlNode*(WINAPI* XmlGetChild)(TV2XmlElement* element, UINT index);
    WCHAR*(WINAPI* XmlGetText)(TV2XmlElement* element);
    void(WINAPI* XmlRemoveChild)(TV2XmlElement* element, UINT index);
    void(WINAPI* XmlAppendMisc)(TV2XmlDocument* document, TV2XmlNode* node);
    UINT(WINAPI* XmlGetMiscCount)(TV2XmlDocument* document);
    TV2XmlNode*(WINAPI* XmlGetMisc)(TV2XmlDocument* document, UINT index);
    void(WINAPI* XmlRemoveMisc)(TV2XmlDocument* document, UINT index);
    void(WINAPI* XmlAddAttribute)(TV2XmlElement* element, const WCHAR* name, const WCHAR* value);
    void(WINAPI* XmlAppendAttribute)(TV2XmlElement* element, TV2XmlAttribute* attribute);
    UINT(WINAPI* XmlGetAttributeCount)(TV2XmlElement* element);
    TV2XmlAttribute*(WINAPI* XmlGetAttribute)(TV2XmlElement* element, UINT index);
    TV2XmlAttribute*(WINAPI* XmlFindAttribute)(TV2XmlElement* element, const WCHAR* name);
    void(WINAPI* XmlGetAttributeValue)(TV2XmlElement* element, const WCHAR* name, WCHAR* buffer, UINT size);
    void(WINAPI* XmlRemoveAttribute)(TV2XmlElement* element, UINT index);
    TV2XmlIterator*(WINAPI* XmlOpenIterator)(TV2XmlElement* element, const WCHAR* name);
    TV2XmlElement*(WINAPI* XmlNextElement)(TV2XmlIterator* iterator);
    void(WINAPI* XmlCloseIterator)(TV2XmlIterator* iterator);
    void(WINAPI* XmlWriteDocument)(TV2XmlNode* node, HANDLE file);
    TV2XmlDocument*(WINAPI* XmlParseText)(const WCHAR* text);
    TV2XmlDocument*(WINAPI* XmlLoadFile)(const WCHAR* path);
    int(WINAPI* XmlGetLastError)(void);
} TV2XmlAccessTable;

#ifndef _WIN64
#define TV2_XML_TABLE_SIZE 116
#else
#define TV2_XML_TABLE_SIZE ((DWORD)sizeof(TV2XmlAccessTable))
#endif

/* ---- Fonts -------------------------------------------------------------- */

#define TV2_FONT_BOLD 0x1
#define TV2_FONT_ITALIC 0x2
#define TV2_FONT_UNDERLINE 0x4

/* The host's cached GUI fonts (styles 0-7); the host owns them. */
typedef struct TV2FontTable {
    DWORD size;                              /* set to 12 (32-bit) before asking */
    DWORD version;                           /* 1 */
    HFONT(WINAPI* GetFont)(WORD style);
} TV2FontTable;

#ifndef _WIN64
#define TV2_FONT_TABLE_SIZE 12
#else
#define TV2_FONT_TABLE_SIZE ((DWORD)sizeof(TV2FontTable))
#endif

/* ---- Host controls ------------------------------------------------------ */

/* Window classes the host registers for plug-ins; create them by name with
   CreateWindowExW as children of your module window or options panel.
   They are registered with the host's instance: pass GetModuleHandleW(NULL)
   as hInstance, not your DLL's. Each lives on the thread that created it and
   sends its notifications there. Codes below are identical in the host. */

/* UBBControl: a text in bracket markup ([b] [i] [u] [s] [link=...][/link]),
   wrapped to its width. The window text is the markup. A numeric link
   [link=N] posts WM_COMMAND with MAKEWPARAM(id, N) to the parent; any other
   target is opened by the shell. */
#define UBB_CLASS_NAME L"UBBControl"
#define UBBS_RIGHT 0x0001
#define UBBS_CENTER 0x0002
#define UBBM_GETIDEALSIZE (WM_APP + 200) /* wParam SIZE*: client width, height of the text */
#define UBBM_SETFONT (WM_APP + 201)      /* wParam face name, lParam lfHeight; used from the next layout */
#define UBBM_GETFONT (WM_APP + 202)      /* wParam WCHAR[32] or null, lParam int* or null */
#define UBBM_SETLINKCOLOR (WM_APP + 203) /* wParam COLORREF */
#define UBBM_GETLINKCOLOR (WM_APP + 204)

/* FANCYBUTTON: a flat-edged push button with a text, a bitmap or a 16 x 16
   icon. WM_COMMAND is sent to the parent with MAKEWPARAM(id, FBN_...) and
   the button as lParam; WM_CTLCOLORBTN asks the parent for the background
   (return the stock NULL_BRUSH for a transparent one). It takes no focus on
   a click. Images stay yours: keep them alive while shown. A font given
   with WM_SETFONT becomes the button's: the next WM_SETFONT deletes it
   (the host's fonts from TV2FontTable excepted); delete the last one
   yourself after the button is gone. */
#define FANCYBUTTON_CLASS_NAME L"FANCYBUTTON"
#define FBS_LEFT 0x0002
#define FBS_RIGHT 0x0004
#define FBS_TOP 0x0010
#define FBS_BOTTOM 0x0020
#define FBS_FLAT 0x0080        /* edges only while hot, focused or pressed */
#define FBS_NOTIFY 0x0100      /* also FBN_DBLCLK, FBN_SETFOCUS, FBN_KILLFOCUS */
#define FBS_MULTILINE 0x0200
#define FBS_TRANSPARENT 0x0400 /* a bitmap's transparent colour is left out */
#define FBM_SETIMAGE (WM_APP + 240)      /* button: wParam IMAGE_BITMAP/IMAGE_ICON, lParam handle;
                                            image control: wParam HBITMAP, lParam transparent colour */
#define FBM_GETIMAGE (WM_APP + 241)      /* button: wParam the type asked for */
#define FBM_SETTRANSCOLOR (WM_APP + 242) /* wParam COLORREF, white at first */
#define FBM_GETTRANSCOLOR (WM_APP + 243)
#define FBN_CLICKED 0   /* released over it after a press on it; Space or Return released */
#define FBN_DBLCLK 3    /* a double click gives FBN_CLICKED, FBN_DBLCLK, FBN_CLICKED */
#define FBN_SETFOCUS 4
#define FBN_KILLFOCUS 5 /* also: a press released outside the button */

/* TV2SLIDER: a value picker over an unsigned 32-bit range (0..0 at first).
   Setters take lParam nonzero to notify; a value that would break
   minimum <= position <= maximum is ignored. WM_COMMAND with
   MAKEWPARAM(id, SLN_...) is posted to the parent. */
#define TV2SLIDER_CLASS_NAME L"TV2SLIDER"
#define SLS_READONLY 0x0001
#define SLS_THUMB 0x0002 /* a track with a thumb; without it a filled bar */
#define SLM_SETMIN (WM_USER + 10)
#define SLM_GETMIN (WM_USER + 11)
#define SLM_SETMAX (WM_USER + 12)
#define SLM_GETMAX (WM_USER + 13)
#define SLM_SETPOS (WM_USER + 14)
#define SLM_GETPOS (WM_USER + 15)
#define SLN_CHANGED 0  /* the position moved (press, drag, or a setter asked to notify) */
#define SLN_FINISHED 1 /* the button was released after a drag, or a key was pressed */

/* FANCYIMAGE: a bitmap aligned in the control, optionally with one colour
   transparent (FBM_SETIMAGE above). The control draws from a copy: your
   bitmap is never changed nor selected. WM_CTLCOLORSTATIC asks the parent
   for the background. With FIS_NOTIFY, WM_COMMAND with
   MAKEWPARAM(id, FIN_...) is sent to the parent. */
#define FANCYIMAGE_CLASS_NAME L"FANCYIMAGE"
#define FIS_LEFT 0x0001
#define FIS_RIGHT 0x0002
#define FIS_TOP 0x0010
#define FIS_BOTTOM 0x0020
#define FIS_NOTIFY 0x0100
#define FIS_TRANSPARENT 0x0200
#define FIN_CLICKED 0
#define FIN_DBLCLK 1
#define FIN_ENTER 2
#define FIN_LEAVE 3

/* TV2SCROLLTEXT: one line of text (the window text) that scrolls sideways
   while it is wider than the control. Fonts from WM_SETFONT belong to it as
   with FANCYBUTTON. */
#define TV2SCROLLTEXT_CLASS_NAME L"TV2SCROLLTEXT"
#define STS_BOUNCE 0x0001 /* back and forth instead of an endless loop */
#define STS_RIGHT 0x0004
#define STS_CENTER 0x0008
#define STS_TOP 0x0010
#define STS_BOTTOM 0x0020
#define STS_VCENTER 0x0040
#define STS_SMOOTH 0x0100 /* 2-pixel steps every 100 ms instead of 6 every 300 ms */

#ifdef __cplusplus
}
#endif

/* ---- Layout checks (the 32-bit interface is fixed) ------------------------ */
/* static_assert from C++11, _Static_assert from C11, and before them an array
   whose size turns negative when a check fails. */
#if !defined(_WIN64)
#include <stddef.h>
#if defined(__cplusplus) && (__cplusplus >= 201103L || (defined(_MSC_VER) && _MSC_VER >= 1600))
#define TV2_LAYOUT_CHECK(name, condition) static_assert(condition, #name)
#elif !defined(__cplusplus) && defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define TV2_LAYOUT_CHECK(name, condition) _Static_assert(condition, #name)
#else
#define TV2_LAYOUT_CHECK(name, condition) typedef char tv2_layout_##name[(condition) ? 1 : -1]
#endif
TV2_LAYOUT_CHECK(PackageRecord_is_36_bytes, sizeof(PackageRecord) == 36);
TV2_LAYOUT_CHECK(PackageRecord_layout, offsetof(PackageRecord, fileName) == 4 && offsetof(PackageRecord, module) == 20 &&
                                           offsetof(PackageRecord, initialised) == 28 &&
                                           offsetof(PackageRecord, flags) == 32);
TV2_LAYOUT_CHECK(ModuleDescriptor_is_256_bytes, sizeof(ModuleDescriptor) == 256);
TV2_LAYOUT_CHECK(ModuleDescriptor_layout,
                 offsetof(ModuleDescriptor, windowProc) == 236 && offsetof(ModuleDescriptor, width) == 240 &&
                     offsetof(ModuleDescriptor, userData) == 244 && offsetof(ModuleDescriptor, showOnCreate) == 248 &&
                     offsetof(ModuleDescriptor, reserved) == 252);
TV2_LAYOUT_CHECK(ModuleRecord_is_268_bytes, sizeof(ModuleRecord) == 268);
TV2_LAYOUT_CHECK(ModuleRecord_layout, offsetof(ModuleRecord, descriptor) == 4 && offsetof(ModuleRecord, window) == 260 &&
                                          offsetof(ModuleRecord, package) == 264);
TV2_LAYOUT_CHECK(FontTable_is_12_bytes, sizeof(TV2FontTable) == 12);
TV2_LAYOUT_CHECK(XmlAccessTable_is_29_words, sizeof(TV2XmlAccessTable) == 116);
#undef TV2_LAYOUT_CHECK
#endif

#endif /* TOVARA2_SDK_H */
