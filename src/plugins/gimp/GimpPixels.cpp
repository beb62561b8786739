#include "GimpPixels.h"

#include <cstring>
#include <stdexcept>

namespace {

void CheckColormap(std::span<const uint8_t> colormap) {
  if (colormap.size() % 3 != 0 || colormap.size() > 3 * 256)
    throw std::invalid_argument("The colormap must hold at most 256 R,G,B entries");
}

} // namespace

int BytesPerPixel(TDrawablePixels kind) {
  switch (kind) {
  case TDrawablePixels::Rgb:
    return 3;
  case TDrawablePixels::Rgba:
    return 4;
  case TDrawablePixels::GreyAlpha:
  case TDrawablePixels::IndexedAlpha:
    return 2;
  case TDrawablePixels::Grey:
  case TDrawablePixels::Indexed:
    break;
  }
  return 1;
}

void PrepareBitmap(TBitmap& bitmap, int width, int height, TDrawablePixels kind,
                   std::span<const uint8_t> colormap) {
  switch (kind) {
  case TDrawablePixels::Rgb:
    bitmap.Allocate(width, height, TPixelFormat::pf24bit);
    return;
  case TDrawablePixels::Rgba:
  case TDrawablePixels::GreyAlpha:
  case TDrawablePixels::IndexedAlpha:
    CheckColormap(colormap);
    bitmap.Allocate(width, height, TPixelFormat::pf32bit);
    bitmap.SetHasAlpha(true);
    return;
  case TDrawablePixels::Grey: {
    bitmap.Allocate(width, height, TPixelFormat::pf8bit);
    std::vector<TRGBQuad> ramp(256);
    for (int i = 0; i < 256; ++i) {
      const auto v = static_cast<uint8_t>(i);
      ramp[i] = {v, v, v, 0};
    }
    bitmap.SetPalette(std::move(ramp));
    return;
  }
  case TDrawablePixels::Indexed:
    break;
  }
  CheckColormap(colormap);
  bitmap.Allocate(width, height, TPixelFormat::pf8bit);
  std::vector<TRGBQuad> palette(colormap.size() / 3);
  for (size_t i = 0; i < palette.size(); ++i)
    palette[i] = {colormap[3 * i + 2], colormap[3 * i + 1], colormap[3 * i], 0};
  bitmap.SetPalette(std::move(palette));
}

void StoreDrawableRows(TBitmap& bitmap, TDrawablePixels kind, int top, int rows,
                       const uint8_t* pixels, std::span<const uint8_t> colormap) {
  CheckColormap(colormap);
  const int width = bitmap.Width();
  const size_t inStride = static_cast<size_t>(width) * BytesPerPixel(kind);
  const size_t colours = colormap.size() / 3;
  for (int y = top; y < top + rows; ++y, pixels += inStride) {
    uint8_t* out = bitmap.ScanLine(y);
    const uint8_t* in = pixels;
    switch (kind) {
    case TDrawablePixels::Rgb:
      for (int x = 0; x < width; ++x, in += 3, out += 3)
        out[0] = in[2], out[1] = in[1], out[2] = in[0];
      break;
    case TDrawablePixels::Rgba:
      for (int x = 0; x < width; ++x, in += 4, out += 4)
        out[0] = in[2], out[1] = in[1], out[2] = in[0], out[3] = in[3];
      break;
    case TDrawablePixels::GreyAlpha:
      for (int x = 0; x < width; ++x, in += 2, out += 4)
        out[0] = out[1] = out[2] = in[0], out[3] = in[1];
      break;
    case TDrawablePixels::IndexedAlpha:
      for (int x = 0; x < width; ++x, in += 2, out += 4) {
        const uint8_t* rgb = in[0] < colours ? &colormap[3 * in[0]] : nullptr;
        out[0] = rgb ? rgb[2] : 0, out[1] = rgb ? rgb[1] : 0, out[2] = rgb ? rgb[0] : 0;
        out[3] = in[1];
      }
      break;
    case TDrawablePixels::Grey:
    case TDrawablePixels::Indexed:
      std::memcpy(out, in, inStride);
      break;
    }
  }
}
