// The pictures the command line's tests feed it.
#pragma once

#include "TestSupport.h"
#include "blz/UniBmp.h"
#include "io/ByteReader.h"
#include "io/Streams.h"

#include <algorithm>
#include <vector>

using Bytes = std::vector<uint8_t>;

// A picture of `format` with every byte of its rows (padding too) set; a colour palette, or a
// grey one when `grey`, for 8 bits and fewer.
inline TUniBitmap Picture(int width, int height, TPixelFormat format, bool grey = false) {
  TUniBitmap bitmap;
  bitmap.Allocate(width, height, format);
  std::vector<TRGBQuad> palette(size_t{1} << std::min(bitmap.BitsPerPixel(), 8));
  for (size_t i = 0; i < palette.size(); ++i)
    palette[i] = {uint8_t(i * 3), uint8_t(grey ? i * 3 : i * 7), uint8_t(grey ? i * 3 : 255 - i)};
  if (bitmap.BitsPerPixel() <= 8) bitmap.SetPalette(palette);
  for (size_t i = 0; i < bitmap.Bits().size(); ++i)
    bitmap.Bits()[i] = uint8_t(i * 7 / 5 ^ i >> 11);
  return bitmap;
}

inline Bytes BmpFile(const TUniBitmap& bitmap) {
  return testsupport::Written(bitmap);
}

// A 32-bit BMP file with a 40-byte header turned into one with bit fields and an alpha mask.
inline Bytes WithAlphaMask(Bytes bmp) {
  StoreU32LE(bmp.data() + 14, 56);
  StoreU32LE(bmp.data() + 30, 3);
  const uint8_t masks[] = {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0, 0xFF};
  bmp.insert(bmp.begin() + 54, masks, masks + 16);
  StoreU32LE(bmp.data() + 10, 70);
  return bmp;
}
