#pragma once
// The executable's pictures, stored packed (resources/art/pack_art.py).
#include <windows.h>

// A bitmap compatible with the screen, as LoadImageW(..., IMAGE_BITMAP, 0, 0,
// 0) gives, from picture id of the executable; null when it is missing or
// damaged. The caller deletes it.
HBITMAP ArtLoadBitmap(WORD id);
