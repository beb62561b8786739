// What a picture is to a writer that keeps it as it is (a palette, grey levels, colour, or
// colour with alpha), and its rows as 8-bit samples of that kind.
#pragma once

#include "bmp/Bitmap.h"

#include <cstdint>

enum class TPixelKind { Palette, Grey, Rgb, Rgba };

// A 1/4/8-bit picture is Grey when every entry of its colour table is, otherwise Palette; a
// 32-bit picture with alpha is Rgba; any other is Rgb.
TPixelKind KindOf(const TBitmap& bitmap);

// Whether every pixel of the picture is grey (red, green and blue equal).
bool IsGreyPicture(const TBitmap& bitmap);

// Samples per pixel of Grey (1), Rgb (3) and Rgba (4).
int SamplesPerPixel(TPixelKind kind);

// Row `y` (from the top) as `kind`'s samples, R, G, B (, A) or grey; `out` holds
// max(3, SamplesPerPixel) bytes per pixel. For Grey the picture must be grey.
void RowSamples(const TBitmap& bitmap, int y, TPixelKind kind, uint8_t* out);
