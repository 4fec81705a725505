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

// Where the pixels start, when the header is whole and the colour table and
// the pixels it promises lie within the unpacked block, so that drawing it
// never reads past its end; 0 otherwise.
DWORD PixelOffset(const BITMAPINFOHEADER* h, DWORD size) {
    if (size < sizeof(*h) || h->biSize != sizeof(*h)) return 0;
    if (h->biWidth <= 0 || h->biWidth > 4096 || h->biHeight == 0 || h->biHeight > 4096 || h->biHeight < -4096)
        return 0;
    DWORD colours = h->biBitCount > 8 ? 0 : h->biClrUsed ? h->biClrUsed : 1u << h->biBitCount;
    if (colours > 256) return 0;
    DWORD rows = static_cast<DWORD>(h->biHeight < 0 ? -h->biHeight : h->biHeight);
    DWORD pixels;
    if (h->biCompression == BI_RGB)
        pixels = (static_cast<DWORD>(h->biWidth) * h->biBitCount + 31) / 32 * 4 * rows;
    else if (h->biCompression == BI_RLE8 || h->biCompression == BI_RLE4)
        pixels = h->biSizeImage;
    else
        return 0;
    DWORD offset = sizeof(*h) + colours * sizeof(RGBQUAD);
    return offset + pixels <= size ? offset : 0;
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
    HBITMAP bitmap = nullptr;
    if (DWORD pixels = PixelOffset(h, size)) {
        HDC screen = GetDC(nullptr);
        bitmap = CreateDIBitmap(screen, h, CBM_INIT, dib + pixels,
                                reinterpret_cast<const BITMAPINFO*>(dib), DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
    }
    MemFree(dib);
    return bitmap;
}
