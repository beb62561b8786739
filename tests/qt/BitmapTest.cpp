// TBitmap: resizing, format changes, the writer's fixed bytes read back per pixel format, and
// the conversions to and from QImage against GetPixel, whole images and parts of them, and
// rendering onto white against the painter.
#include "bmp/Bitmap.h"
#include "TestSupport.h"
#include "io/Exceptions.h"
#include "io/Streams.h"
#include "qt/BitmapQt.h"
#include "qt/Canvas.h"

#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <sstream>

using testsupport::Hex;
using testsupport::Written;

namespace {

constexpr TPixelFormat kFormats[] = {
    TPixelFormat::pf1bit,  TPixelFormat::pf4bit,  TPixelFormat::pf8bit, TPixelFormat::pf15bit,
    TPixelFormat::pf16bit, TPixelFormat::pf24bit, TPixelFormat::pf32bit};

TColor Pattern(int x, int y) {
  return RGB(static_cast<uint8_t>(x * 40), static_cast<uint8_t>(y * 60),
             static_cast<uint8_t>(x * y * 9));
}

// A width × height bitmap of `format` painted with Pattern.
TBitmap PatternBitmap(TPixelFormat format, int width, int height) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(format);
  bitmap.SetSize(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      bitmap.SetPixel(x, y, Pattern(x, y));
  return bitmap;
}

TEST(Bitmap, NewAndEnlargedPixelsAreWhiteOldOnesKept) {
  for (TPixelFormat format : kFormats) {
    SCOPED_TRACE(BitsPerPixel(format));
    TBitmap bitmap;
    bitmap.SetPixelFormat(format);
    bitmap.SetSize(3, 2);
    EXPECT_EQ(bitmap.GetPixel(2, 1), clWhite);
    bitmap.SetPixel(0, 0, clBlack);
    bitmap.SetPixel(2, 1, clBlack);
    bitmap.SetSize(11, 5);
    EXPECT_EQ(bitmap.GetPixel(0, 0), clBlack);
    EXPECT_EQ(bitmap.GetPixel(2, 1), clBlack);
    for (auto [x, y] : {std::pair{3, 0}, {10, 1}, {0, 2}, {10, 4}})
      EXPECT_EQ(bitmap.GetPixel(x, y), clWhite) << x << "," << y;
    bitmap.SetSize(2, 1); // shrinking keeps the top-left pixels
    EXPECT_EQ(bitmap.GetPixel(0, 0), clBlack);
    EXPECT_EQ(bitmap.GetPixel(1, 0), clWhite);
  }
}

TEST(Bitmap, SetPixelFormatConvertsThroughColour) {
  TBitmap bitmap = PatternBitmap(TPixelFormat::pf24bit, 4, 3);
  bitmap.SetPixelFormat(TPixelFormat::pf32bit);
  EXPECT_EQ(bitmap.GetPixel(3, 2), Pattern(3, 2));
  bitmap.SetPixelFormat(TPixelFormat::pf16bit);
  const TColor c = bitmap.GetPixel(3, 2);
  EXPECT_NEAR(GetRValue(c), GetRValue(Pattern(3, 2)), 4);
  EXPECT_NEAR(GetGValue(c), GetGValue(Pattern(3, 2)), 2);
  bitmap.SetPixelFormat(TPixelFormat::pf1bit); // nearest of black and white
  EXPECT_EQ(bitmap.GetPixel(0, 0), clBlack);
  EXPECT_EQ(bitmap.Palette().size(), 2u);
}

// Each direct format stores a colour in its own bit layout; every channel keeps a low set bit,
// so a channel shifted by one shows.
TEST(Bitmap, SetPixelStoresEachDirectLayout) {
  const std::pair<TPixelFormat, const char*> cases[] = {
      {TPixelFormat::pf15bit, "22 7c"},
      {TPixelFormat::pf16bit, "42 f8"},
      {TPixelFormat::pf24bit, "10 08 f8"},
      {TPixelFormat::pf32bit, "10 08 f8 ff"},
  };
  for (const auto& [format, bytes] : cases) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(format);
    bitmap.SetSize(2, 1);
    bitmap.SetPixel(1, 0, RGB(0xF8, 0x08, 0x10));
    const std::vector<uint8_t> expected = Hex(bytes);
    const uint8_t* pixel = bitmap.ScanLine(0) + expected.size();
    EXPECT_EQ(std::vector<uint8_t>(pixel, pixel + expected.size()), expected)
        << BitsPerPixel(format);
  }
}

// A new paletted bitmap takes the system's palette: the 16 VGA colours, or a 6 × 6 × 6 cube
// and 40 greys.
TEST(Bitmap, DefaultPalettes) {
  auto entries = [](TPixelFormat format, std::initializer_list<int> indices) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(format);
    std::ostringstream s;
    s << bitmap.Palette().size() << ":" << std::hex;
    for (int i : indices) {
      const TRGBQuad q = bitmap.Palette().at(size_t(i));
      s << " " << (q.rgbRed << 16 | q.rgbGreen << 8 | q.rgbBlue);
    }
    return s.str();
  };
  EXPECT_EQ(entries(TPixelFormat::pf1bit, {0, 1}), "2: 0 ffffff");
  EXPECT_EQ(entries(TPixelFormat::pf4bit, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}),
            "16: 0 800000 8000 808000 80 800080 8080 c0c0c0 808080 ff0000 ff00 ffff00 ff ff00ff "
            "ffff ffffff");
  EXPECT_EQ(entries(TPixelFormat::pf8bit, {1, 6, 36, 215, 216, 217, 254, 255}),
            "256: 33 3300 330000 ffffff 0 60606 f8f8f8 ffffff");
}

// A partial palette is written in full, padded with black; 5-6-5 pixels follow their masks.
TEST(Bitmap, WriterFillsThePaletteAndPutsMasksBeforeThePixels) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(TPixelFormat::pf4bit);
  bitmap.SetSize(2, 1);
  bitmap.SetPalette({{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}});
  bitmap.ScanLine(0)[0] = 0x21;
  const auto bytes = Written(bitmap);
  std::vector<uint8_t> tail = Hex("01 02 03 00 04 05 06 00 07 08 09 00");
  tail.resize(16 * 4), tail.push_back(0x21), tail.resize(16 * 4 + 4);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 54, bytes.end()), tail);
  bitmap.SetPixelFormat(TPixelFormat::pf16bit);
  bitmap.SetSize(1, 1);
  bitmap.SetPixel(0, 0, clWhite);
  EXPECT_EQ(Written(bitmap),
            Hex("42 4D 46 00 00 00 00 00 00 00 42 00 00 00 28 00 00 00 01 00 00 00 01 00 00 00 "
                "01 00 10 00 03 00 00 00 04 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
                "00 00 00 F8 00 00 E0 07 00 00 1F 00 00 00 FF FF 00 00"));
}

// A stream load takes the image's bytes and no more; a failed one leaves the bitmap as it was.
TEST(Bitmap, StreamLoadConsumesTheImageOnlyOrNothingAtAll) {
  TBitmap bitmap;
  bitmap.SetSize(2, 2);
  bitmap.SetPixel(1, 1, clRed);
  auto bytes = Written(bitmap);
  const auto size = static_cast<int64_t>(bytes.size());
  bytes.insert(bytes.end(), {1, 2, 3});
  TReadOnlyMemoryStream stream(bytes);
  bitmap.LoadFromStream(stream);
  EXPECT_EQ(stream.Position(), size);
  bytes.resize(size_t(size) - 1);
  TReadOnlyMemoryStream cut(bytes);
  EXPECT_THROW(bitmap.LoadFromStream(cut), EInvalidGraphic);
  EXPECT_EQ(bitmap.Width(), 2);
  EXPECT_EQ(bitmap.GetPixel(1, 1), clRed);
}

// Every pixel format survives write → read → write, the rows stored bottom-up or top-down.
// A BMP image held alone in a memory stream may hand its memory to the bitmap; only plain
// bottom-up rows are taken. Either way the pixels are those written.
TEST(Bitmap, ReadsBackWhatWasWrittenTakingTheImageMemoryOverWhereItCan) {
  for (TPixelFormat format : kFormats) {
    for (bool topDown : {false, true}) {
      SCOPED_TRACE(BitsPerPixel(format) * (topDown ? -1 : 1));
      const TBitmap bitmap = PatternBitmap(format, 7, 3);
      const std::vector<uint8_t> written = Written(bitmap);
      std::vector<uint8_t> file = written;
      if (topDown) { // the same rows, stored top row first
        const int32_t height = -3;
        std::memcpy(&file[22], &height, 4);
        const size_t offset = file.size() - 3 * bitmap.RowStride();
        for (int y = 0; y < 3; ++y)
          std::memcpy(&file[offset + y * bitmap.RowStride()], bitmap.ScanLine(y),
                      bitmap.RowStride());
      }
      TBitmap copied, taken;
      ReadBmp(file, copied);
      TMemoryStream image;
      image.WriteBuffer(file.data(), static_cast<int64_t>(file.size()));
      ReadBmp(image.Bytes(), taken, nullptr, &image);
      EXPECT_EQ(Written(copied), written);
      EXPECT_EQ(Written(taken), written);
      EXPECT_EQ(image.Size(), topDown ? static_cast<int64_t>(file.size()) : 0);
    }
  }
}

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
  // 37 x 11: odd widths leave partial bytes and row padding in every format. Areas as asked
  // and as clipped to the bitmap.
  const std::pair<QRect, QRect> areas[] = {
      {QRect(0, 0, 37, 11), QRect(0, 0, 37, 11)}, {QRect(3, 2, 9, 5), QRect(3, 2, 9, 5)},
      {QRect(7, 1, 1, 1), QRect(7, 1, 1, 1)},     {QRect(-4, -3, 20, 6), QRect(0, 0, 16, 3)},
      {QRect(30, 8, 50, 50), QRect(30, 8, 7, 3)}, {QRect(40, 0, 5, 5), QRect()}};
  unsigned seed = 1;
  for (TPixelFormat format : kFormats) {
    for (bool alpha : {false, true}) {
      if (alpha && format != TPixelFormat::pf32bit) continue;
      SCOPED_TRACE(testing::Message() << BitsPerPixel(format) << " bits, alpha " << alpha);
      const TBitmap bitmap = RandomBitmap(format, 37, 11, alpha, seed++);
      for (const auto& [rect, clipped] : areas) {
        SCOPED_TRACE(testing::Message() << "area " << rect.x() << "," << rect.y());
        const QImage image =
            rect == QRect(0, 0, 37, 11) ? BitmapToQImage(bitmap) : BitmapToQImage(bitmap, rect);
        ASSERT_EQ(image.size(), clipped.size());
        if (image.isNull()) continue;
        EXPECT_EQ(image.format(), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        int wrong = 0;
        for (int y = 0; y < image.height(); ++y)
          for (int x = 0; x < image.width(); ++x)
            wrong += image.pixel(x, y) != Expected(bitmap, clipped.x() + x, clipped.y() + y);
        EXPECT_EQ(wrong, 0);
      }
      // Copying renders onto white without a painter, exactly as the painter does (the
      // padding cleared, as every reader leaves it).
      TBitmap read = bitmap;
      read.ClearRowPadding();
      EXPECT_EQ(Written(read.RenderOnWhite()), Written(PaintOnWhite(read)));
    }
  }
}

TEST(BitmapQtConversion, AlphaOverWhiteIsBlendedAsThePainterBlendsIt) {
  // Every colour value under every alpha; the odd width leaves a row end the painter may
  // blend apart from the rest.
  TBitmap bitmap;
  bitmap.Allocate(259, 256, TPixelFormat::pf32bit);
  bitmap.SetHasAlpha(true);
  for (int y = 0; y < 256; ++y) {
    uint8_t* pixel = bitmap.ScanLine(y);
    for (int x = 0; x < 259; ++x, pixel += 4)
      pixel[0] = uint8_t(x), pixel[1] = uint8_t(255 - x), pixel[2] = uint8_t(x ^ 0x5A),
      pixel[3] = uint8_t(y);
  }
  const TBitmap rendered = bitmap.RenderOnWhite();
  EXPECT_EQ(rendered.PixelFormat(), TPixelFormat::pf24bit);
  EXPECT_EQ(Written(rendered), Written(PaintOnWhite(bitmap)));
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
    EXPECT_EQ(bitmap.PixelFormat(), alpha ? TPixelFormat::pf32bit : TPixelFormat::pf24bit);
    // The colours, size and alpha, read back through the conversion checked above.
    EXPECT_EQ(BitmapToQImage(bitmap),
              image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32));
    // Row padding is zero, so the writer's bytes depend on the pixels alone.
    int padding = 0;
    for (int y = 0; y < 7; ++y)
      for (int64_t i = 13 * (alpha ? 4 : 3); i < bitmap.RowStride(); ++i)
        padding += bitmap.ScanLine(y)[i];
    EXPECT_EQ(padding, 0);
  }
}

} // namespace
