#include "graphics/BitmapQt.h"

#include <QPainter>

QImage BitmapToQImage(const TBitmap& bitmap) {
  const bool alpha = bitmap.PixelFormat() == TPixelFormat::pf32bit && bitmap.HasAlpha();
  QImage image(bitmap.Width(), bitmap.Height(),
               alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  if (image.isNull()) return image;
  QRgb colors[256]; // entries the palette lacks are black
  for (size_t i = 0; i < 256; ++i) {
    const TRGBQuad q = i < bitmap.Palette().size() ? bitmap.Palette()[i] : TRGBQuad{};
    colors[i] = qRgb(q.rgbRed, q.rgbGreen, q.rgbBlue);
  }
  for (int y = 0; y < bitmap.Height(); ++y) {
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
    const uint8_t* in = bitmap.ScanLine(y);
    switch (bitmap.PixelFormat()) {
    case TPixelFormat::pf24bit:
    case TPixelFormat::pfDevice:
      for (int x = 0; x < bitmap.Width(); ++x, in += 3)
        out[x] = qRgb(in[2], in[1], in[0]);
      break;
    case TPixelFormat::pf32bit:
      for (int x = 0; x < bitmap.Width(); ++x, in += 4)
        out[x] = qRgba(in[2], in[1], in[0], alpha ? in[3] : 255);
      break;
    case TPixelFormat::pf1bit:
    case TPixelFormat::pf4bit:
    case TPixelFormat::pf8bit: {
      const int bpp = bitmap.BitsPerPixel();
      const int perByte = 8 / bpp;
      for (int x = 0; x < bitmap.Width(); ++x) {
        const int shift = 8 - bpp * (x % perByte + 1);
        out[x] = colors[in[x / perByte] >> shift & ((1 << bpp) - 1)];
      }
      break;
    }
    default:
      for (int x = 0; x < bitmap.Width(); ++x) {
        TColor c = bitmap.GetPixel(x, y);
        out[x] = qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
      }
    }
  }
  return image;
}

void QImageToBitmap(const QImage& image, TBitmap& bitmap) {
  const bool alpha = image.hasAlphaChannel();
  QImage source = image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  TBitmap result;
  result.Allocate(source.width(), source.height(),
                  alpha ? TPixelFormat::pf32bit : TPixelFormat::pf24bit);
  result.SetHasAlpha(alpha);
  for (int y = 0; y < source.height(); ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
    uint8_t* out = result.ScanLine(y);
    for (int x = 0; x < source.width(); ++x) {
      *out++ = static_cast<uint8_t>(qBlue(in[x]));
      *out++ = static_cast<uint8_t>(qGreen(in[x]));
      *out++ = static_cast<uint8_t>(qRed(in[x]));
      if (alpha) *out++ = static_cast<uint8_t>(qAlpha(in[x]));
    }
  }
  result.ClearRowPadding();
  bitmap = std::move(result);
}

void TBitmap::Draw(QPainter& painter, const TRect& rect) const {
  if (Empty()) return;
  painter.drawImage(QRect(rect.Left, rect.Top, rect.Width(), rect.Height()), BitmapToQImage(*this));
}
