// A bitmap's rows as 8-bit channels in the order a host wants them: R,G,B for writers and
// toolkits without alpha, R,G,B,A for those with it, B,G,R,A for a little-endian ARGB32 word.
// The one conversion from every pixel format, so that every output path agrees on colours and
// on alpha.
#pragma once

#include "bmp/Bitmap.h"

#include <cstdint>

enum class TRowLayout { Rgb, Rgba, Bgra };

// Whether the bitmap's fourth byte is alpha (a 32-bit bitmap that has alpha).
bool KeepsAlpha(const TBitmap& bitmap);

// Pixels x0 .. x0 + count - 1 of row `y` (from the top) into `out`, 3 or 4 bytes each. Alpha is
// the pixel's own where the bitmap keeps alpha, otherwise 255; colour-table entries the palette
// lacks are black. The caller keeps the range inside the bitmap.
void ConvertRow(const TBitmap& bitmap, int y, int x0, int count, TRowLayout layout, uint8_t* out);
inline void ConvertRow(const TBitmap& bitmap, int y, TRowLayout layout, uint8_t* out) {
  ConvertRow(bitmap, y, 0, bitmap.Width(), layout, out);
}
