#pragma once
// The cache of eight GUI fonts (bold, italic, underline bits) and the text
// measuring that dialogs are laid out from.
#include <windows.h>

enum : WORD { SKIN_BOLD = 0x1, SKIN_ITALIC = 0x2, SKIN_UNDERLINE = 0x4 };

int SkinInit();
// Standard-call: plug-ins receive it through the font table. The cache owns
// the fonts; null for style 8 or more.
HFONT WINAPI SkinGetFont(WORD style);
void SkinFree();
// True for a font of the cache: controls handed one must never delete it.
bool SkinOwnsFont(HFONT font);

void MeasureText(const WCHAR* text, SIZE* size, HFONT font);
void GetAverageCharSize(HFONT font, SIZE* size);
// Copies a block, leaving the destination unchanged where the source has the
// transparent colour. The source block is restored afterwards.
int DrawTransparentBitmap(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY,
                          COLORREF transparent);
