#include "controls/ubb_fonts.h"

#include "controls/ubb_markup.h"
#include "core/runtime/wstr.h"

namespace {

volatile LONG g_liveFonts;

constexpr WCHAR kSample[] = L"AaBbCcDdEeFfGgHhIiJjKkLlMmNnOoPpQqRrSsTtUuVvWwXxYyZz0123456789";
static_assert(sizeof(kSample) / sizeof(WCHAR) == 63, "62 characters of sample");

void GdiSelectStyle(void* context, WORD style, SIZE* sample) {
    UbbGdiMeasure* g = static_cast<UbbGdiMeasure*>(context);
    HFONT font = UbbFontGet(g->fonts, style);
    if (font) SelectObject(g->dc, font);
    if (!GetTextExtentPoint32W(g->dc, kSample, 62, sample)) sample->cx = sample->cy = 0;
}

int GdiFit(void* context, const WCHAR* text, int n, int maxWidth) {
    UbbGdiMeasure* g = static_cast<UbbGdiMeasure*>(context);
    int fit = 0;
    SIZE size;
    if (n <= 0 || maxWidth <= 0) return 0;
    if (!GetTextExtentExPointW(g->dc, text, n, maxWidth, &fit, nullptr, &size)) return 0;
    return fit;
}

void GdiExtent(void* context, const WCHAR* text, int n, SIZE* size) {
    UbbGdiMeasure* g = static_cast<UbbGdiMeasure*>(context);
    if (!GetTextExtentPoint32W(g->dc, text, n, size)) size->cx = size->cy = 0;
}

}  // namespace

LONG UbbFontsLive() { return g_liveFonts; }

HFONT UbbFontGet(UbbFonts* set, UINT style) {
    if (style >= UBB_FONT_SLOTS) return nullptr;
    if (!set->fonts[style]) {
        LOGFONTW lf;
        ZeroMemory(&lf, sizeof(lf));
        lf.lfHeight = set->height;
        lf.lfWeight = (style & UBB_BOLD) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (style & UBB_ITALIC) ? 1 : 0;
        lf.lfUnderline = (style & UBB_UNDERLINE) ? 1 : 0;
        lf.lfStrikeOut = (style & UBB_STRIKE) ? 1 : 0;
        lf.lfCharSet = DEFAULT_CHARSET;
        StrCopyN(lf.lfFaceName, set->face, LF_FACESIZE);
        set->fonts[style] = CreateFontIndirectW(&lf);
        if (set->fonts[style]) InterlockedIncrement(&g_liveFonts);
    }
    return set->fonts[style];
}

void UbbFontsClear(UbbFonts* set) {
    for (HFONT& f : set->fonts) {
        if (f && DeleteObject(f)) InterlockedDecrement(&g_liveFonts);
        f = nullptr;
    }
}

void UbbFontsSet(UbbFonts* set, const WCHAR* face, LONG height) {
    UbbFontsClear(set);
    StrCopyN(set->face, face ? face : L"", LF_FACESIZE);
    set->height = height;
}

UbbMeasurer UbbGdiMeasurer(UbbGdiMeasure* context) {
    UbbMeasurer m = {context, GdiSelectStyle, GdiFit, GdiExtent};
    return m;
}
