#pragma once
// Character classes and keyword comparisons of the XML parser. The platform
// gives the answers (GetStringTypeExW, CompareStringW); these helpers give
// the same answers without a platform call per character.
#include <windows.h>

enum : BYTE { XML_CC_SPACE = 1, XML_CC_NAME_START = 2, XML_CC_NAME = 4 };

// One byte of class bits per UTF-16 code unit, filled by XmlCharClassPrepare.
extern BYTE g_xmlCharClass[65536];

// Fills the table on first use (idempotent; two threads racing store the same
// bytes). Every parse calls it before looking at a character.
void XmlCharClassPrepare();

inline bool XmlIsSpace(WCHAR c) { return (g_xmlCharClass[c] & XML_CC_SPACE) != 0; }
inline bool XmlIsNameStart(WCHAR c) { return (g_xmlCharClass[c] & XML_CC_NAME_START) != 0; }
inline bool XmlIsNameChar(WCHAR c) { return (g_xmlCharClass[c] & XML_CC_NAME) != 0; }

// The class bits the platform gives for c, asked directly (for tests).
BYTE XmlCharClassFromPlatform(WCHAR c);

// Does the text at p begin with the n-character keyword kw, as CompareStringW
// (LOCALE_USER_DEFAULT, flags 0 or NORM_IGNORECASE) over exactly n characters
// says? Never reads past a terminator within the first n characters.
bool XmlKeywordSlow(const WCHAR* p, const WCHAR* kw, int n, bool ignoreCase);

// All-ASCII text is answered here: for ASCII the platform's linguistic
// comparison of equal-length strings is equal exactly when the characters are
// (ignoring ASCII case under NORM_IGNORECASE). Anything else goes to the
// platform.
inline bool XmlKeyword(const WCHAR* p, const WCHAR* kw, int n, bool ignoreCase = false) {
    for (int i = 0; i < n; i++) {
        WCHAR c = p[i];
        if (c == kw[i]) continue;
        if (c == 0) return false;
        if (c >= 0x80) return XmlKeywordSlow(p, kw, n, ignoreCase);
        if (!ignoreCase) {
            // A later non-ASCII character could still make the platform
            // disagree, so only give up once the rest is seen to be ASCII.
            for (int j = i + 1; j < n; j++) {
                if (p[j] == 0) return false;
                if (p[j] >= 0x80) return XmlKeywordSlow(p, kw, n, ignoreCase);
            }
            return false;
        }
        WCHAR a = (c >= L'A' && c <= L'Z') ? static_cast<WCHAR>(c + 32) : c;
        WCHAR b = (kw[i] >= L'A' && kw[i] <= L'Z') ? static_cast<WCHAR>(kw[i] + 32) : kw[i];
        if (a != b) {
            for (int j = i + 1; j < n; j++) {
                if (p[j] == 0) return false;
                if (p[j] >= 0x80) return XmlKeywordSlow(p, kw, n, ignoreCase);
            }
            return false;
        }
    }
    return true;
}

// Whole-name comparisons as lstrcmpiW / lstrcmpW decide equality; identical
// strings are answered without the platform.
bool XmlNameEqualsNoCase(const WCHAR* a, const WCHAR* b);
bool XmlNameEquals(const WCHAR* a, const WCHAR* b);
