// BitmapToQImage and QImageToBitmap against a pixel-by-pixel reference, for every pixel
// format, whole images and parts of them.
#include "graphics/BitmapQt.h"

#include <gtest/gtest.h>

#include <random>

namespace {

constexpr TPixelFormat kFormats[] = {
    TPixelFormat::pf1bit,  TPixelFormat::pf4bit,  TPixelFormat::pf8bit, TPixelFormat::pf15bit,
    TPixelFormat::pf16bit, TPixelFormat::pf24bit, TPixelFormat::pf32bit};

// Random bytes in every row, padding included, and a palette shorter than the format allows
// (indices past it show black).
TBitmap RandomBitmap(TPixelFormat format, int width, int height, bool alpha, unsigned seed) {
  std::mt19937 random(seed);
  TBitmap bitmap;
  bitmap.Allocate(width, height, format);
  for (uint8_t& byte : bitmap.Bits())
    byte = static_cast<uint8_t>(random());
  if (bitmap.BitsPerPixel() <= 8) {
    std::vector<TRGBQuad> palette((1u << bitmap.BitsPerPixel()) / 2 + 1);
    for (TRGBQuad& q : palette)
      q = {static_cast<uint8_t>(random()), static_cast<uint8_t>(random()),
           static_cast<uint8_t>(random()), static_cast<uint8_t>(random())};
    bitmap.SetPalette(palette);
  }
  bitmap.SetHasAlpha(alpha);
  return bitmap;
}

QRgb Expected(const TBitmap& bitmap, int x, int y) {
  TColor c = bitmap.GetPixel(x, y);
  int a = bitmap.PixelFormat() == TPixelFormat::pf32bit && bitmap.HasAlpha()
              ? bitmap.ScanLine(y)[4 * x + 3]
              : 255;
  return qRgba(GetRValue(c), GetGValue(c), GetBValue(c), a);
}

TEST(BitmapQtConversion, EveryFormatGivesGetPixelsColours) {
  struct Area {
    QRect rect;
    QRect clipped;
  };
  // 37 x 11: odd widths leave partial bytes and row padding in every format.
  const Area areas[] = {
      {QRect(0, 0, 37, 11), QRect(0, 0, 37, 11)}, {QRect(3, 2, 9, 5), QRect(3, 2, 9, 5)},
      {QRect(7, 1, 1, 1), QRect(7, 1, 1, 1)},     {QRect(-4, -3, 20, 6), QRect(0, 0, 16, 3)},
      {QRect(30, 8, 50, 50), QRect(30, 8, 7, 3)}, {QRect(40, 0, 5, 5), QRect()}};
  unsigned seed = 1;
  for (TPixelFormat format : kFormats) {
    for (bool alpha : {false, true}) {
      if (alpha && format != TPixelFormat::pf32bit) continue;
      SCOPED_TRACE(testing::Message() << BitsPerPixel(format) << " bits, alpha " << alpha);
      const TBitmap bitmap = RandomBitmap(format, 37, 11, alpha, seed++);
      for (const Area& area : areas) {
        SCOPED_TRACE(testing::Message() << "area " << area.rect.x() << "," << area.rect.y());
        const QImage image = area.rect == QRect(0, 0, 37, 11) ? BitmapToQImage(bitmap)
                                                              : BitmapToQImage(bitmap, area.rect);
        ASSERT_EQ(image.size(), area.clipped.size());
        if (image.isNull()) continue;
        EXPECT_EQ(image.format(), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        int wrong = 0;
        for (int y = 0; y < image.height(); ++y)
          for (int x = 0; x < image.width(); ++x)
            wrong +=
                image.pixel(x, y) != Expected(bitmap, area.clipped.x() + x, area.clipped.y() + y);
        EXPECT_EQ(wrong, 0);
      }
    }
  }
}

TEST(BitmapQtConversion, ImagesOfEveryQtFormatBecomeTheirColours) {
  std::mt19937 random(7);
  QImage argb(13, 7, QImage::Format_ARGB32);
  for (int y = 0; y < argb.height(); ++y)
    for (int x = 0; x < argb.width(); ++x)
      argb.setPixel(x, y, static_cast<QRgb>(random()));
  for (QImage::Format format :
       {QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_RGB888, QImage::Format_BGR888,
        QImage::Format_Grayscale8, QImage::Format_Indexed8, QImage::Format_RGBA8888}) {
    SCOPED_TRACE(format);
    const QImage image = argb.convertToFormat(format);
    const bool alpha = image.hasAlphaChannel();
    TBitmap bitmap;
    QImageToBitmap(image, bitmap);
    ASSERT_EQ(bitmap.Width(), 13);
    ASSERT_EQ(bitmap.Height(), 7);
    EXPECT_EQ(bitmap.PixelFormat(), alpha ? TPixelFormat::pf32bit : TPixelFormat::pf24bit);
    EXPECT_EQ(bitmap.HasAlpha(), alpha);
    const QImage reference =
        image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    int wrong = 0;
    for (int y = 0; y < 7; ++y) {
      const uint8_t* row = bitmap.ScanLine(y);
      for (int x = 0; x < 13; ++x) {
        const QRgb want = reference.pixel(x, y);
        const uint8_t* p = row + x * (alpha ? 4 : 3);
        wrong += p[0] != qBlue(want) || p[1] != qGreen(want) || p[2] != qRed(want) ||
                 (alpha && p[3] != qAlpha(want));
      }
      // Row padding is zero, so the writer's bytes depend on the pixels alone.
      for (int64_t i = 13 * (alpha ? 4 : 3); i < bitmap.RowStride(); ++i)
        wrong += row[i] != 0;
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(BitmapToQImage(bitmap), reference); // and back again unchanged
  }
}

} // namespace
