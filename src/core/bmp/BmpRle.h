// The run-length encodings of 4- and 8-bit BMP images (BI_RLE4, BI_RLE8).
//
// The stream is a sequence of byte pairs, rows from the bottom up:
//   n c         n > 0: n pixels of colour c (RLE4: the two nibbles of c alternate)
//   00 00       end of line: next row, first column
//   00 01       end of bitmap
//   00 02 dx dy delta: move right dx and up dy pixels
//   00 n ...    n ≥ 3: n literal pixels (RLE4: nibbles), padded to an even byte count
#pragma once

#include "bmp/Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <span>

// Decodes `data` (4 or 8 bits per pixel) into `bitmap`, a width × height pf4bit or pf8bit
// bitmap whose pixels are all index 0 (what pixels the stream skips keep); with no bitmap it
// only checks the stream, so that a damaged one is refused before the pixels are allocated.
// Runs and literals are clipped at the end of their row and pixels beyond the last row are
// dropped, as many writers overrun their rows; a delta that leaves the image, or data that end
// before the image is complete, throw EInvalidGraphic. Returns the bytes the stream occupied;
// `highest`, when given, receives the highest colour index the stream wrote and where.
struct TRleHighestIndex {
  uint8_t index = 0;
  int64_t x = 0, y = 0; // y counted from the top
};
size_t DecodeBmpRle(std::span<const uint8_t> data, int bitsPerPixel, int width, int height,
                    TBitmap* bitmap, TRleHighestIndex* highest = nullptr);
