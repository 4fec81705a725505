#include "settings/xml_chars.h"

#include "core/runtime/memory.h"

BYTE g_xmlCharClass[65536];

namespace {
volatile LONG g_charClassReady;

BYTE ClassOf(WCHAR c, WORD type) {
    BYTE bits = 0;
    if (c == 0x09 || c == 0x0A || c == 0x0D || c == 0x20 || (type & (C1_SPACE | C1_BLANK))) bits |= XML_CC_SPACE;
    if ((type & (C1_ALPHA | C1_XDIGIT)) || c == L'_') bits |= XML_CC_NAME_START;
    if ((type & (C1_ALPHA | C1_DIGIT)) || c == L'-' || c == L'.' || c == L':' || c == L'_' || c == 0xB7)
        bits |= XML_CC_NAME;
    // The terminator belongs to no class, so every scan stops at it.
    return c == 0 ? 0 : bits;
}
}  // namespace

BYTE XmlCharClassFromPlatform(WCHAR c) {
    WORD type = 0;
    if (!GetStringTypeExW(LOCALE_USER_DEFAULT, CT_CTYPE1, &c, 1, &type)) type = 0;
    return ClassOf(c, type);
}

void XmlCharClassPrepare() {
    if (g_charClassReady) return;
    // One platform call for all 65536 code units; CT_CTYPE1 classifies each
    // code unit on its own, surrogates included.
    WCHAR* units = static_cast<WCHAR*>(MemAlloc(65536 * sizeof(WCHAR)));
    WORD* types = static_cast<WORD*>(MemAllocZero(65536 * sizeof(WORD)));
    for (UINT i = 0; i < 65536; i++) units[i] = static_cast<WCHAR>(i);
    if (!GetStringTypeExW(LOCALE_USER_DEFAULT, CT_CTYPE1, units, 65536, types)) {
        for (UINT i = 0; i < 65536; i++) {
            types[i] = 0;
            GetStringTypeExW(LOCALE_USER_DEFAULT, CT_CTYPE1, units + i, 1, types + i);
        }
    }
    for (UINT i = 0; i < 65536; i++) g_xmlCharClass[i] = ClassOf(static_cast<WCHAR>(i), types[i]);
    MemFree(units);
    MemFree(types);
    InterlockedExchange(&g_charClassReady, 1);
}

bool XmlKeywordSlow(const WCHAR* p, const WCHAR* kw, int n, bool ignoreCase) {
    for (int i = 0; i < n; i++)
        if (p[i] == 0) return false;
    return CompareStringW(LOCALE_USER_DEFAULT, ignoreCase ? NORM_IGNORECASE : 0, p, n, kw, n) == CSTR_EQUAL;
}

bool XmlNameEqualsNoCase(const WCHAR* a, const WCHAR* b) {
    const WCHAR *x = a, *y = b;
    while (*x && *x == *y) x++, y++;
    if (*x == *y) return true;
    return lstrcmpiW(a, b) == 0;
}

bool XmlNameEquals(const WCHAR* a, const WCHAR* b) {
    const WCHAR *x = a, *y = b;
    while (*x && *x == *y) x++, y++;
    if (*x == *y) return true;
    return lstrcmpW(a, b) == 0;
}
