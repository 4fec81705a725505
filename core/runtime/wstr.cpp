#include "core/runtime/wstr.h"

#include "core/runtime/memory.h"

int StrLen(const WCHAR* s) { return lstrlenW(s); }

int StrCopyN(WCHAR* dst, const WCHAR* src, int size) {
    int n = 0;
    if (src)
        while (n < size - 1 && src[n]) {
            dst[n] = src[n];
            n++;
        }
    dst[n] = 0;
    return n;
}

WCHAR* StrDup(const WCHAR* s) {
    int n = lstrlenW(s) + 1;
    WCHAR* copy = static_cast<WCHAR*>(MemAlloc(n * sizeof(WCHAR)));
    CopyMemory(copy, s, n * sizeof(WCHAR));
    return copy;
}

int StrCompareN(const WCHAR* a, const WCHAR* b, int n) {
    return CompareStringW(LOCALE_USER_DEFAULT, 0, a, n, b, n) - 2;
}

int StrCompareNoCaseN(const WCHAR* a, const WCHAR* b, int n) {
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a, n, b, n) - 2;
}

namespace {
// "Alphanumeric but not alphabetic": the platform's notion of a digit, which
// takes in more than '0'-'9'; the value still uses c - '0' as written.
inline bool IsDigitChar(WCHAR c) { return IsCharAlphaNumericW(c) && !IsCharAlphaW(c); }
}  // namespace

LONG StrToInt(const WCHAR* s) {
    if (!s) return 0;
    bool negative = false;
    while (*s == L'-') {
        negative = !negative;
        s++;
    }
    ULONG value = 0;
    for (; *s && IsDigitChar(*s); s++) value = value * 10 + static_cast<ULONG>(*s - L'0');
    return static_cast<LONG>(negative ? 0u - value : value);
}

int StrIsInt(const WCHAR* s) {
    if (!s) return 0;
    while (*s == L'-') s++;
    while (*s && IsDigitChar(*s)) s++;
    return *s == 0 ? 1 : 0;
}
