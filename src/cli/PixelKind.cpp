#include "cli/PixelKind.h"

#include <algorithm>
#include <vector>

namespace {

bool IsGrey(const TRGBQuad& c) {
  return c.rgbRed == c.rgbGreen && c.rgbGreen == c.rgbBlue;
}

bool HasPalette(const TBitmap& bitmap) {
  return bitmap.BitsPerPixel() <= 8;
}

} // namespace

TPixelKind KindOf(const TBitmap& bitmap) {
  if (HasPalette(bitmap)) return IsGreyPicture(bitmap) ? TPixelKind::Grey : TPixelKind::Palette;
  if (bitmap.PixelFormat() == TPixelFormat::pf32bit && bitmap.HasAlpha()) return TPixelKind::Rgba;
  return TPixelKind::Rgb;
}

bool IsGreyPicture(const TBitmap& bitmap) {
  // Entries the colour table lacks are black, which is grey.
  if (HasPalette(bitmap))
    return std::all_of(bitmap.Palette().begin(), bitmap.Palette().end(), IsGrey);
  std::vector<uint8_t> row(size_t(bitmap.Width()) * 3 + 1);
  for (int y = 0; y < bitmap.Height(); ++y) {
    bitmap.ExpandRowTo24(y, row.data());
    for (size_t x = 0; x < size_t(bitmap.Width()) * 3; x += 3)
      if (row[x] != row[x + 1] || row[x + 1] != row[x + 2]) return false;
  }
  return true;
}

int SamplesPerPixel(TPixelKind kind) {
  return kind == TPixelKind::Grey ? 1 : kind == TPixelKind::Rgba ? 4 : 3;
}

void RowSamples(const TBitmap& bitmap, int y, TPixelKind kind, uint8_t* out) {
  const size_t width = size_t(bitmap.Width());
  if (kind == TPixelKind::Rgba) {
    const uint8_t* in = bitmap.ScanLine(y);
    for (size_t x = 0; x < width; ++x, in += 4, out += 4)
      out[0] = in[2], out[1] = in[1], out[2] = in[0], out[3] = in[3];
    return;
  }
  // B, G, R in place, then reordered (or narrowed to grey) from the front.
  bitmap.ExpandRowTo24(y, out);
  if (kind == TPixelKind::Grey) {
    for (size_t x = 0; x < width; ++x)
      out[x] = out[3 * x];
    return;
  }
  for (size_t x = 0; x < width; ++x)
    std::swap(out[3 * x], out[3 * x + 2]);
}
