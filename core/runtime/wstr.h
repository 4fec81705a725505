#pragma once
// Wide-string services. All text in the program is UTF-16 and null-terminated.
#include <windows.h>

// Heap copy of s, owned by the caller (MemFree).
WCHAR* StrDup(const WCHAR* s);
// Compare a prefix of a with a keyword b of known length: both lengths are n
// (-1: whole strings). Negative, 0 or positive; -2 when the platform fails.
int StrCompareN(const WCHAR* a, const WCHAR* b, int n);
int StrCompareNoCaseN(const WCHAR* a, const WCHAR* b, int n);
// Leading minus signs toggle the sign; digits follow; wraps silently.
LONG StrToInt(const WCHAR* s);
// 1 when s is minus signs then digits to the end ("" and "-" included).
int StrIsInt(const WCHAR* s);

// Small helpers the other services are built from.
int StrLen(const WCHAR* s);
// Copies at most size - 1 characters and always terminates (size >= 1).
int StrCopyN(WCHAR* dst, const WCHAR* src, int size);
