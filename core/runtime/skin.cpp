#include "core/runtime/skin.h"

#include "core/runtime/owners.h"
#include "core/runtime/wstr.h"

namespace {
// Filled lazily without a lock: the first reader on the PluginThread may race
// the main thread for a slot, at worst creating one font twice. Start-up fills
// every slot before any other thread exists, so that race cannot happen.
HFONT g_fonts[8];
}

int SkinInit() {
    for (HFONT& f : g_fonts) f = nullptr;
    // Creating all eight now keeps later readers on other threads lock-free.
    for (WORD style = 0; style < 8; style++) SkinGetFont(style);
    return 1;
}

HFONT WINAPI SkinGetFont(WORD style) {
    if (style >= 8) return nullptr;
    if (!g_fonts[style]) {
        LOGFONTW lf;
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
        StrCopyN(lf.lfFaceName, L"MS Shell Dlg 2", LF_FACESIZE);
        lf.lfWeight = (style & SKIN_BOLD) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (style & SKIN_ITALIC) ? 1 : 0;
        lf.lfUnderline = (style & SKIN_UNDERLINE) ? 1 : 0;
        g_fonts[style] = CreateFontIndirectW(&lf);
    }
    return g_fonts[style];
}

void SkinFree() {
    for (HFONT& f : g_fonts) {
        if (f) DeleteObject(f);
        f = nullptr;
    }
}

bool SkinOwnsFont(HFONT font) {
    if (!font) return false;
    for (HFONT f : g_fonts)
        if (f == font) return true;
    return false;
}

void MeasureText(const WCHAR* text, SIZE* size, HFONT font) {
    ScopedMemDC dc(nullptr);
    SelectScope select(dc, font);
    GetTextExtentPoint32W(dc, text, lstrlenW(text), size);
}

void GetAverageCharSize(HFONT font, SIZE* size) {
    MeasureText(L"AaBbCcDdEeFfGgHhIiJjKkLlMmNnOoPpQqRrSsTtUuVvWwXxYyZz0123456789", size, font);
    size->cx = size->cx / 62;
}

int DrawTransparentBitmap(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY,
                          COLORREF transparent) {
    int saved = SaveDC(src);
    {
        ScopedMemDC maskDC(dst);
        GdiObject<HBITMAP> mask(CreateBitmap(width, height, 1, 1, nullptr));
        SelectScope selectMask(maskDC, mask);

        // Transparent pixels become white in the mask, all others black.
        SetBkColor(src, transparent);
        BitBlt(maskDC, 0, 0, width, height, src, srcX, srcY, SRCCOPY);

        // Blacken the source's transparent pixels.
        SetBkColor(src, RGB(0, 0, 0));
        SetTextColor(src, RGB(255, 255, 255));
        BitBlt(src, srcX, srcY, width, height, maskDC, 0, 0, SRCAND);

        // Punch the opaque shape out of the destination, then paint it in.
        BitBlt(dst, x, y, width, height, maskDC, 0, 0, SRCAND);
        BitBlt(dst, x, y, width, height, src, srcX, srcY, SRCPAINT);

        // Give the source its transparent pixels back.
        SetBkColor(src, transparent);
        SetTextColor(src, RGB(0, 0, 0));
        BitBlt(src, srcX, srcY, width, height, maskDC, 0, 0, SRCPAINT);
    }
    RestoreDC(src, saved);
    return 1;
}
