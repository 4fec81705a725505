// The few runtime pieces the package needs in place of the C runtime.
#include "sysmon.h"

// The compiler emits calls to these for struct copies and zero-fills; the
// loops must not be turned back into memset/memcpy calls (built with
// -fno-tree-loop-distribute-patterns).
extern "C" void* memset(void* dst, int value, size_t n) {
    BYTE* d = static_cast<BYTE*>(dst);
    while (n--) *d++ = static_cast<BYTE>(value);
    return dst;
}

extern "C" void* memcpy(void* dst, const void* src, size_t n) {
    BYTE* d = static_cast<BYTE*>(dst);
    const BYTE* s = static_cast<const BYTE*>(src);
    while (n--) *d++ = *s++;
    return dst;
}

int StrLength(const WCHAR* s) {
    int n = 0;
    if (s)
        while (s[n]) ++n;
    return n;
}

void StrCopy(WCHAR* dst, const WCHAR* src, int cap) {
    if (cap <= 0) return;
    int i = 0;
    if (src)
        for (; i < cap - 1 && src[i]; ++i) dst[i] = src[i];
    dst[i] = 0;
}

void StrAppend(WCHAR* dst, const WCHAR* src, int cap) {
    int n = StrLength(dst);
    if (n < cap) StrCopy(dst + n, src, cap - n);
}

bool StrEqual(const WCHAR* a, const WCHAR* b) {
    if (!a || !b) return a == b;
    while (*a && *a == *b) ++a, ++b;
    return *a == *b;
}

bool StrEqualNoCase(const WCHAR* a, const WCHAR* b) {
    if (!a || !b) return a == b;
    return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a, -1, b, -1) == CSTR_EQUAL;
}

bool StrParseInt(const WCHAR* s, int* out) {
    if (!s || !*s) return false;
    int value = 0;
    for (; *s; ++s) {
        if (*s < L'0' || *s > L'9' || value > 100000000) return false;
        value = value * 10 + (*s - L'0');
    }
    *out = value;
    return true;
}

ULONGLONG U64Div(ULONGLONG n, ULONGLONG d) {
    if (!d) return 0;
#ifdef _WIN64
    return n / d;
#else
    // i686 would call libgcc's __udivdi3 for this; shift and subtract instead.
    if (!(d >> 32) && !(n >> 32)) return static_cast<DWORD>(n) / static_cast<DWORD>(d);
    ULONGLONG q = 0, r = 0;
    for (int i = 63; i >= 0; --i) {
        r = (r << 1) | ((n >> i) & 1);
        if (r >= d) {
            r -= d;
            q |= 1ULL << i;
        }
    }
    return q;
#endif
}

// Three significant figures at most: "512 B", "12.3 KB", "123 KB", "1.5 GB".
static void FormatScaled(ULONGLONG value, const WCHAR* const* units, int unitCount, WCHAR* out, int cap) {
    int k = 0;
    ULONGLONG scale = 1;
    while (k + 1 < unitCount && U64Div(value, scale) >= 1000) {
        scale <<= 10;
        ++k;
    }
    ULONGLONG whole = U64Div(value, scale);
    ULONGLONG tenths = U64Div((value - whole * scale) * 10, scale);
    WCHAR buf[32];
    if (k > 0 && whole < 100)
        wsprintfW(buf, L"%u.%u %s", static_cast<unsigned>(whole), static_cast<unsigned>(tenths), units[k]);
    else
        wsprintfW(buf, L"%u %s", static_cast<unsigned>(whole), units[k]);
    StrCopy(out, buf, cap);
}

void FormatBytes(ULONGLONG bytes, WCHAR* out, int cap) {
    static const WCHAR* const units[] = {L"B", L"KB", L"MB", L"GB", L"TB", L"PB"};
    FormatScaled(bytes, units, 6, out, cap);
}

void FormatRate(ULONGLONG perSecond, WCHAR* out, int cap) {
    static const WCHAR* const units[] = {L"B/s", L"KB/s", L"MB/s", L"GB/s"};
    FormatScaled(perSecond, units, 4, out, cap);
}

void DigitsToZero(const WCHAR* src, WCHAR* dst, int cap) {
    int i = 0;
    for (; i < cap - 1 && src[i]; ++i) dst[i] = (src[i] >= L'0' && src[i] <= L'9') ? L'0' : src[i];
    dst[i] = 0;
}
