#pragma once
// The fonts of one UBBControl, made on first use from one face and height,
// and the measurer that lays text out with them.
#include <windows.h>

#include "controls/ubb_layout.h"

constexpr int UBB_FONT_SLOTS = 32;  // one per combination of the style bits

struct UbbFonts {
    WCHAR face[LF_FACESIZE];
    LONG height;
    HFONT fonts[UBB_FONT_SLOTS];
};

// The font of these style bits, created on first use; null outside 0..31.
// The set keeps it until UbbFontsClear.
HFONT UbbFontGet(UbbFonts* set, UINT style);
// Fonts made by all sets and not yet deleted, so that tests can prove every
// control gave its fonts back (GDI handle counts are not available everywhere).
LONG UbbFontsLive();
// Deletes every font made so far.
void UbbFontsClear(UbbFonts* set);
// Deletes the fonts and takes a new face (at most 31 characters) and height.
void UbbFontsSet(UbbFonts* set, const WCHAR* face, LONG height);

// Measures in dc with the fonts of set. The caller owns dc and puts its
// original font back afterwards.
struct UbbGdiMeasure {
    HDC dc;
    UbbFonts* fonts;
};
UbbMeasurer UbbGdiMeasurer(UbbGdiMeasure* context);
