#include "bmp/PixelRows.h"

#include <algorithm>

namespace {

template <TRowLayout layout> struct TPut {
  static constexpr int kSize = layout == TRowLayout::Rgb ? 3 : 4;
  static void Pixel(uint8_t* out, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    if constexpr (layout == TRowLayout::Bgra) {
      out[0] = b, out[1] = g, out[2] = r, out[3] = a;
    } else {
      out[0] = r, out[1] = g, out[2] = b;
      if constexpr (layout == TRowLayout::Rgba) out[3] = a;
    }
  }
};

template <TRowLayout layout>
void Convert(const TBitmap& bitmap, int y, int x0, int count, uint8_t* out) {
  using Put = TPut<layout>;
  const uint8_t* in = bitmap.ScanLine(y);
  switch (bitmap.PixelFormat()) {
  case TPixelFormat::pf1bit:
  case TPixelFormat::pf4bit:
  case TPixelFormat::pf8bit: {
    TRGBQuad colors[256] = {}; // entries the palette lacks are black
    std::copy_n(bitmap.Palette().begin(), std::min<size_t>(bitmap.Palette().size(), 256), colors);
    const int bpp = bitmap.BitsPerPixel();
    const int perByte = 8 / bpp;
    const unsigned mask = (1u << bpp) - 1;
    for (int x = x0; x < x0 + count; ++x, out += Put::kSize) {
      const unsigned index =
          bpp == 8 ? in[x] : in[x / perByte] >> (8 - bpp * (x % perByte + 1)) & mask;
      const TRGBQuad& c = colors[index];
      Put::Pixel(out, c.rgbRed, c.rgbGreen, c.rgbBlue, 255);
    }
    return;
  }
  case TPixelFormat::pfDevice:
  case TPixelFormat::pf24bit:
    in += 3 * x0;
    for (int x = 0; x < count; ++x, in += 3, out += Put::kSize)
      Put::Pixel(out, in[2], in[1], in[0], 255);
    return;
  case TPixelFormat::pf32bit:
    in += 4 * x0;
    if (bitmap.HasAlpha()) {
      for (int x = 0; x < count; ++x, in += 4, out += Put::kSize)
        Put::Pixel(out, in[2], in[1], in[0], in[3]);
    } else {
      for (int x = 0; x < count; ++x, in += 4, out += Put::kSize)
        Put::Pixel(out, in[2], in[1], in[0], 255);
    }
    return;
  case TPixelFormat::pf15bit:
  case TPixelFormat::pf16bit:
    break;
  }
  for (int x = x0; x < x0 + count; ++x, out += Put::kSize) {
    const TColor c = bitmap.GetPixel(x, y);
    Put::Pixel(out, GetRValue(c), GetGValue(c), GetBValue(c), 255);
  }
}

} // namespace

bool KeepsAlpha(const TBitmap& bitmap) {
  return bitmap.PixelFormat() == TPixelFormat::pf32bit && bitmap.HasAlpha();
}

void ConvertRow(const TBitmap& bitmap, int y, int x0, int count, TRowLayout layout, uint8_t* out) {
  switch (layout) {
  case TRowLayout::Rgb:
    return Convert<TRowLayout::Rgb>(bitmap, y, x0, count, out);
  case TRowLayout::Rgba:
    return Convert<TRowLayout::Rgba>(bitmap, y, x0, count, out);
  case TRowLayout::Bgra:
    return Convert<TRowLayout::Bgra>(bitmap, y, x0, count, out);
  }
}
