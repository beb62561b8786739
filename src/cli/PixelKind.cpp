#include "cli/PixelKind.h"

#include "bmp/PixelRows.h"

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
  if (KeepsAlpha(bitmap)) return TPixelKind::Rgba;
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
  ConvertRow(bitmap, y, kind == TPixelKind::Rgba ? TRowLayout::Rgba : TRowLayout::Rgb, out);
  if (kind != TPixelKind::Grey) return;
  for (size_t x = 0; x < size_t(bitmap.Width()); ++x)
    out[x] = out[3 * x];
}
