// The executable has no C runtime, yet GCC emits calls to these for struct
// copies and zero-initialisation. The optimiser would turn the loops below
// back into calls to themselves, hence the attribute.
#include <stddef.h>

extern "C" {
__attribute__((optimize("no-tree-loop-distribute-patterns"))) void* memset(void* dst, int value, size_t n) {
    unsigned char* d = static_cast<unsigned char*>(dst);
    while (n--) *d++ = static_cast<unsigned char>(value);
    return dst;
}

__attribute__((optimize("no-tree-loop-distribute-patterns"))) void* memcpy(void* dst, const void* src, size_t n) {
    unsigned char* d = static_cast<unsigned char*>(dst);
    const unsigned char* s = static_cast<const unsigned char*>(src);
    while (n--) *d++ = *s++;
    return dst;
}

__attribute__((optimize("no-tree-loop-distribute-patterns"))) void* memmove(void* dst, const void* src, size_t n) {
    unsigned char* d = static_cast<unsigned char*>(dst);
    const unsigned char* s = static_cast<const unsigned char*>(src);
    if (d < s) {
        while (n--) *d++ = *s++;
    } else {
        d += n;
        s += n;
        while (n--) *--d = *--s;
    }
    return dst;
}

int memcmp(const void* a, const void* b, size_t n) {
    const unsigned char* x = static_cast<const unsigned char*>(a);
    const unsigned char* y = static_cast<const unsigned char*>(b);
    for (; n; n--, x++, y++)
        if (*x != *y) return *x - *y;
    return 0;
}
}
