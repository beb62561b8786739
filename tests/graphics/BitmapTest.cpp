// TBitmap: resizing, format changes, and the writer's fixed bytes read back per pixel format.
#include "graphics/Bitmap.h"
#include "TestSupport.h"
#include "graphics/BitmapQt.h"
#include "graphics/Canvas.h"
#include "graphics/Exceptions.h"
#include "graphics/Streams.h"

#include <cstring>
#include <gtest/gtest.h>

using testsupport::Hex;

namespace {

std::vector<uint8_t> Written(const TBitmap& bitmap) {
  TMemoryStream stream;
  bitmap.SaveToStream(stream);
  return {stream.Bytes().begin(), stream.Bytes().end()};
}

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
  for (TPixelFormat format :
       {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit, TPixelFormat::pf15bit,
        TPixelFormat::pf16bit, TPixelFormat::pf24bit, TPixelFormat::pf32bit}) {
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
  TBitmap bitmap;
  bitmap.SetSize(4, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
      bitmap.SetPixel(x, y, Pattern(x, y));
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

TEST(Bitmap, PartialPaletteIsWrittenInFullWithBlack) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(TPixelFormat::pf4bit);
  bitmap.SetSize(2, 1);
  bitmap.SetPalette({{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}});
  bitmap.ScanLine(0)[0] = 0x21;
  const auto bytes = Written(bitmap);
  ASSERT_EQ(bytes.size(), 14u + 40 + 16 * 4 + 4);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 54, bytes.begin() + 66),
            Hex("01 02 03 00 04 05 06 00 07 08 09 00"));
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 66, bytes.begin() + 118),
            std::vector<uint8_t>(52, 0));
  EXPECT_EQ(bytes[118], 0x21);
  TBitmap back;
  ReadBmp(bytes, back);
  EXPECT_EQ(back.Palette().size(), 16u); // what was written: a full table
  EXPECT_EQ(back.GetPixel(0, 0), RGB(9, 8, 7));
  EXPECT_EQ(back.GetPixel(1, 0), RGB(6, 5, 4));
}

TEST(Bitmap, FiveSixFiveWritesItsMasksBeforeThePixels) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(TPixelFormat::pf16bit);
  bitmap.SetSize(1, 1);
  EXPECT_EQ(Written(bitmap),
            Hex("42 4D 46 00 00 00 00 00 00 00 42 00 00 00 28 00 00 00 01 00 00 00 01 00 00 00 "
                "01 00 10 00 03 00 00 00 04 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
                "00 00 00 F8 00 00 E0 07 00 00 1F 00 00 00 FF FF 00 00"));
}

// Every pixel format survives write → read → write: same format, same pixels, same bytes.
class BitmapRoundTrip : public testing::TestWithParam<TPixelFormat> {};

TEST_P(BitmapRoundTrip, ReadsBackWhatWasWritten) {
  TBitmap bitmap = PatternBitmap(GetParam(), 7, 5);
  const auto first = Written(bitmap);
  TBitmap back;
  size_t consumed = 0;
  ReadBmp(first, back, &consumed);
  EXPECT_EQ(consumed, first.size());
  EXPECT_EQ(back.PixelFormat(), GetParam());
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x)
      ASSERT_EQ(back.GetPixel(x, y), bitmap.GetPixel(x, y));
  EXPECT_EQ(Written(back), first);
}

INSTANTIATE_TEST_SUITE_P(Formats, BitmapRoundTrip,
                         testing::Values(TPixelFormat::pf1bit, TPixelFormat::pf4bit,
                                         TPixelFormat::pf8bit, TPixelFormat::pf15bit,
                                         TPixelFormat::pf16bit, TPixelFormat::pf24bit,
                                         TPixelFormat::pf32bit));

TEST(Bitmap, FailedReadLeavesTheBitmapAsItWas) {
  TBitmap bitmap;
  bitmap.SetSize(2, 2);
  bitmap.SetPixel(1, 1, clRed);
  auto bytes = Written(bitmap);
  bytes.resize(bytes.size() - 1);
  TReadOnlyMemoryStream stream(bytes);
  EXPECT_THROW(bitmap.LoadFromStream(stream), EInvalidGraphic);
  EXPECT_EQ(bitmap.Width(), 2);
  EXPECT_EQ(bitmap.GetPixel(1, 1), clRed);
}

// The loader renders every picture onto white at 24 bits; bitmaps take a direct conversion
// that must give exactly what drawing through the painter gives.
TEST(Canvas, RenderedBitmapEqualsPaintedOne) {
  for (TPixelFormat format :
       {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit, TPixelFormat::pf15bit,
        TPixelFormat::pf16bit, TPixelFormat::pf24bit, TPixelFormat::pf32bit}) {
    SCOPED_TRACE(BitsPerPixel(format));
    TBitmap bitmap = PatternBitmap(format, 13, 5);
    if (bitmap.BitsPerPixel() <= 8) { // indices past a short palette show black
      std::vector<TRGBQuad> palette = bitmap.Palette();
      palette.resize(palette.size() / 2 + 1);
      bitmap.SetPalette(palette);
    }
    TBitmap painted;
    painted.SetSize(13, 5);
    StretchDraw(painted, TRect{0, 0, 13, 5}, bitmap);
    const TBitmap rendered = RenderGraphic(bitmap, 13, 5);
    EXPECT_EQ(rendered.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(Written(rendered), Written(painted));
  }
}

// A BMP image held alone in a memory stream may hand its memory to the bitmap; the pixels
// must be those a copying read gives, and only plain bottom-up rows are taken.
TEST(Bitmap, ReadingMayTakeTheImageMemoryOver) {
  for (TPixelFormat format : {TPixelFormat::pf4bit, TPixelFormat::pf8bit, TPixelFormat::pf16bit,
                              TPixelFormat::pf24bit, TPixelFormat::pf32bit}) {
    for (bool topDown : {false, true}) {
      SCOPED_TRACE(BitsPerPixel(format) * (topDown ? -1 : 1));
      const TBitmap bitmap = PatternBitmap(format, 7, 3);
      std::vector<uint8_t> file = Written(bitmap);
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
      EXPECT_EQ(Written(taken), Written(copied));
      EXPECT_EQ(image.Size(), topDown ? static_cast<int64_t>(file.size()) : 0);
    }
  }
}

} // namespace
