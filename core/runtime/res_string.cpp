#include "core/runtime/res_string.h"

WORD CurrentLanguage = 1033;

namespace {
WCHAR g_strBuffer[2048];
}

int LoadStringLang(HMODULE module, UINT id, WCHAR* buffer, int size, WORD language) {
    if (!buffer || size < 1) return 0;
    HRSRC info = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW((id >> 4) + 1), language);
    HGLOBAL block = info ? LoadResource(module, info) : nullptr;
    const WCHAR* p = block ? static_cast<const WCHAR*>(LockResource(block)) : nullptr;
    if (!p) {
        // An empty text is safer for callers that show the buffer regardless.
        buffer[0] = 0;
        return 0;
    }
    const WCHAR* end = p + SizeofResource(module, info) / sizeof(WCHAR);
    for (UINT skip = id & 15; skip > 0 && p < end; skip--) p += 1 + *p;
    int length = p < end ? *p++ : 0;
    int n = length < size - 1 ? length : size - 1;
    if (n > end - p) n = static_cast<int>(end - p);
    if (n < 0) n = 0;
    for (int i = 0; i < n; i++) buffer[i] = p[i];
    buffer[n] = 0;
    return n;
}

int LoadStr(UINT id, WCHAR* buffer, int size) {
    return LoadStringLang(nullptr, id, buffer, size, CurrentLanguage);
}

WCHAR* GetStr(UINT id) {
    LoadStr(id, g_strBuffer, 2048);
    return g_strBuffer;
}

int FileExists(const WCHAR* path) {
    HANDLE h = CreateFileW(path, 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    CloseHandle(h);
    return 1;
}
