#include "qt/BitmapQt.h"

#include "bmp/PixelRows.h"

#include <bit>

QImage BitmapToQImage(const TBitmap& bitmap) {
  return BitmapToQImage(bitmap, QRect(0, 0, bitmap.Width(), bitmap.Height()));
}

QImage BitmapToQImage(const TBitmap& bitmap, const QRect& area) {
  // An ARGB32 pixel is a 32-bit word: B,G,R,A bytes in memory.
  static_assert(std::endian::native == std::endian::little);
  const QRect part = area.intersected(QRect(0, 0, bitmap.Width(), bitmap.Height()));
  QImage image(part.width(), part.height(),
               KeepsAlpha(bitmap) ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  if (image.isNull() || part.isEmpty()) return image;
  for (int row = 0; row < part.height(); ++row)
    ConvertRow(bitmap, part.top() + row, part.left(), part.width(), TRowLayout::Bgra,
               image.scanLine(row));
  return image;
}

void QImageToBitmap(const QImage& image, TBitmap& bitmap) {
  const bool alpha = image.hasAlphaChannel();
  // No copy when the image already has the format (the usual case: what we made ourselves).
  const QImage source = image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  TBitmap result;
  result.Allocate(source.width(), source.height(),
                  alpha ? TPixelFormat::pf32bit : TPixelFormat::pf24bit);
  result.SetHasAlpha(alpha);
  for (int y = 0; y < source.height(); ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
    uint8_t* out = result.ScanLine(y);
    if (alpha) {
      for (int x = 0; x < source.width(); ++x, out += 4) {
        out[0] = static_cast<uint8_t>(in[x]);
        out[1] = static_cast<uint8_t>(in[x] >> 8);
        out[2] = static_cast<uint8_t>(in[x] >> 16);
        out[3] = static_cast<uint8_t>(in[x] >> 24);
      }
    } else {
      for (int x = 0; x < source.width(); ++x, out += 3) {
        out[0] = static_cast<uint8_t>(in[x]);
        out[1] = static_cast<uint8_t>(in[x] >> 8);
        out[2] = static_cast<uint8_t>(in[x] >> 16);
      }
    }
  }
  result.ClearRowPadding();
  bitmap = std::move(result);
}
