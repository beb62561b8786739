// The bytes of a GIMP drawable, read as 8 bits a channel, turned into the bitmap that a BLZ
// file stores. Knows nothing of GIMP itself, so it is tested without it.
#pragma once

#include "bmp/Bitmap.h"

#include <cstdint>
#include <span>

// What the drawable's rows hold: R,G,B; R,G,B,A; grey values; or colormap indices.
enum class TDrawablePixels { Rgb, Rgba, Grey, Indexed };

int BytesPerPixel(TDrawablePixels kind);

// Allocates `bitmap` for a drawable: 24-bit for RGB, 32-bit with alpha for RGBA, and 8-bit
// with a grey ramp or the image's colormap (R,G,B triples, at most 256) for the other two.
void PrepareBitmap(TBitmap& bitmap, int width, int height, TDrawablePixels kind,
                   std::span<const uint8_t> colormap = {});

// Copies `rows` full-width rows of drawable bytes, from row `top` down, into `bitmap`. The
// caller clears the row padding once every row is in.
void StoreDrawableRows(TBitmap& bitmap, TDrawablePixels kind, int top, int rows,
                       const uint8_t* pixels);
