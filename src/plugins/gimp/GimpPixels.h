// The bytes of a GIMP drawable, 8 bits a channel as GIMP's tiles give them, turned into the
// bitmap that a BLZ file stores. Knows nothing of GIMP itself, so it is tested without it.
#pragma once

#include "bmp/Bitmap.h"

#include <cstdint>
#include <span>

// What the drawable's pixels hold, channel by channel.
enum class TDrawablePixels { Rgb, Rgba, Grey, GreyAlpha, Indexed, IndexedAlpha };

int BytesPerPixel(TDrawablePixels kind);

// Allocates `bitmap` for a drawable: 24-bit for RGB, 8-bit with a grey ramp or the image's
// colormap (R,G,B triples, at most 256) for grey and indexed, 32-bit with alpha for anything
// with alpha.
void PrepareBitmap(TBitmap& bitmap, int width, int height, TDrawablePixels kind,
                   std::span<const uint8_t> colormap = {});

// Copies `rows` full-width rows of drawable bytes, from row `top` down, into `bitmap`; an
// index beyond the colormap is black. The caller clears the row padding once every row is in.
void StoreDrawableRows(TBitmap& bitmap, TDrawablePixels kind, int top, int rows,
                       const uint8_t* pixels, std::span<const uint8_t> colormap = {});
