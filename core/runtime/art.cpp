#include "core/runtime/art.h"

#include "core/runtime/app_state.h"
#include "core/runtime/memory.h"

namespace {

// The form pack_art.py writes: the unpacked size, then groups of eight items
// led by a flag byte, lowest bit first; a set bit is a literal byte, a clear
// bit a 16-bit code copying (code & 31) + 3 bytes from (code >> 5) + 1 back.
// Damaged data ends the picture instead of reading or writing out of bounds.
BYTE* Unpack(const BYTE* in, DWORD inSize, DWORD* size) {
    if (inSize < 4) return nullptr;
    const BYTE* end = in + inSize;
    *size = in[0] | in[1] << 8 | in[2] << 16 | static_cast<DWORD>(in[3]) << 24;
    in += 4;
    BYTE* out = static_cast<BYTE*>(MemAlloc(*size));
    DWORD n = 0;
    unsigned flags = 1;
    while (out && n < *size) {
        if (flags == 1) {
            if (in == end) break;
            flags = *in++ | 0x100;
        }
        if (flags & 1) {
            if (in == end) break;
            out[n++] = *in++;
        } else {
            if (end - in < 2) break;
            unsigned code = in[0] | in[1] << 8;
            in += 2;
            DWORD distance = (code >> 5) + 1;
            if (distance > n) break;
            for (unsigned length = (code & 31) + 3; length && n < *size; length--, n++) out[n] = out[n - distance];
        }
        flags >>= 1;
    }
    if (out && n == *size) return out;
    MemFree(out);
    return nullptr;
}

}  // namespace

HBITMAP ArtLoadBitmap(WORD id) {
    HRSRC info = FindResourceW(AppInstance, MAKEINTRESOURCEW(id), RT_RCDATA);
    HGLOBAL data = info ? LoadResource(AppInstance, info) : nullptr;
    const BYTE* packed = data ? static_cast<const BYTE*>(LockResource(data)) : nullptr;
    DWORD size = 0;
    BYTE* dib = packed ? Unpack(packed, SizeofResource(AppInstance, info), &size) : nullptr;
    if (!dib) return nullptr;
    const BITMAPINFOHEADER* h = reinterpret_cast<const BITMAPINFOHEADER*>(dib);
    DWORD colours = h->biBitCount > 8 ? 0 : h->biClrUsed ? h->biClrUsed : 1u << h->biBitCount;
    HBITMAP bitmap = nullptr;
    if (size >= sizeof(*h) && h->biSize == sizeof(*h) && colours <= 256 &&
        sizeof(*h) + colours * sizeof(RGBQUAD) < size) {
        HDC screen = GetDC(nullptr);
        bitmap = CreateDIBitmap(screen, h, CBM_INIT, dib + sizeof(*h) + colours * sizeof(RGBQUAD),
                                reinterpret_cast<const BITMAPINFO*>(dib), DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
    }
    MemFree(dib);
    return bitmap;
}
