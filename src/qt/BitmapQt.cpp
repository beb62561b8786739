#include "qt/BitmapQt.h"

namespace {

// Pixels x0 .. x0 + count - 1 of a palette row of `bpp` bits, looked up in `colors`.
void ExpandIndexed(const uint8_t* in, int x0, int count, int bpp, const QRgb* colors, QRgb* out) {
  if (bpp == 8) {
    for (int x = 0; x < count; ++x)
      out[x] = colors[in[x0 + x]];
    return;
  }
  const int perByte = 8 / bpp;
  const unsigned mask = (1u << bpp) - 1;
  for (int x = 0; x < count; ++x) {
    const int at = x0 + x;
    const int shift = 8 - bpp * (at % perByte + 1);
    out[x] = colors[in[at / perByte] >> shift & mask];
  }
}

} // namespace

QImage BitmapToQImage(const TBitmap& bitmap) {
  return BitmapToQImage(bitmap, QRect(0, 0, bitmap.Width(), bitmap.Height()));
}

QImage BitmapToQImage(const TBitmap& bitmap, const QRect& area) {
  const QRect part = area.intersected(QRect(0, 0, bitmap.Width(), bitmap.Height()));
  const bool alpha = bitmap.PixelFormat() == TPixelFormat::pf32bit && bitmap.HasAlpha();
  QImage image(part.width(), part.height(), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  if (image.isNull() || part.isEmpty()) return image;
  const int x0 = part.left();
  const int count = part.width();
  QRgb colors[256]; // entries the palette lacks are black
  if (bitmap.BitsPerPixel() <= 8) {
    for (size_t i = 0; i < 256; ++i) {
      const TRGBQuad q = i < bitmap.Palette().size() ? bitmap.Palette()[i] : TRGBQuad{};
      colors[i] = qRgb(q.rgbRed, q.rgbGreen, q.rgbBlue);
    }
  }
  for (int row = 0; row < part.height(); ++row) {
    const int y = part.top() + row;
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(row));
    const uint8_t* in = bitmap.ScanLine(y);
    switch (bitmap.PixelFormat()) {
    case TPixelFormat::pf24bit:
    case TPixelFormat::pfDevice:
      in += 3 * x0;
      for (int x = 0; x < count; ++x, in += 3)
        out[x] = 0xFF000000u | uint32_t{in[2]} << 16 | uint32_t{in[1]} << 8 | in[0];
      break;
    case TPixelFormat::pf32bit:
      in += 4 * x0;
      // B,G,R,A bytes are an ARGB32 value read little-endian.
      for (int x = 0; x < count; ++x, in += 4) {
        const uint32_t value =
            uint32_t{in[3]} << 24 | uint32_t{in[2]} << 16 | uint32_t{in[1]} << 8 | in[0];
        out[x] = alpha ? value : value | 0xFF000000u;
      }
      break;
    case TPixelFormat::pf1bit:
    case TPixelFormat::pf4bit:
    case TPixelFormat::pf8bit:
      ExpandIndexed(in, x0, count, bitmap.BitsPerPixel(), colors, out);
      break;
    default:
      for (int x = 0; x < count; ++x) {
        TColor c = bitmap.GetPixel(x0 + x, y);
        out[x] = qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
      }
    }
  }
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
