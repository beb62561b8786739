// A picture with alpha: the writer's BITMAPV5HEADER byte for byte, alpha through the plain
// image and both BLZ layouts, read whole or in place, with one thread or several, and the rows
// the hosts get of every pixel format.
#include "TestSupport.h"
#include "blz/BlockPool.h"
#include "blz/UniBmp.h"
#include "bmp/PixelRows.h"
#include "io/Streams.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using testsupport::Hex;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Written(const TUniBitmap& bitmap, TBmpLayout layout) {
  return testsupport::Saved([&](TStream& s) {
    if (layout == TBmpLayout::Plain) bitmap.SaveToStream(s);
    if (layout == TBmpLayout::BLZStream) bitmap.SaveToBLZStream(s);
    if (layout == TBmpLayout::PackedBitmap) bitmap.SaveToPackedBmpStream(s);
  });
}

// 32-bit pixels B,G,R,A with every alpha `alpha(x, y)`.
template <class Alpha> TUniBitmap Pixels(int width, int height, Alpha alpha) {
  TUniBitmap bitmap;
  bitmap.Allocate(width, height, TPixelFormat::pf32bit);
  bitmap.SetHasAlpha(true);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = bitmap.ScanLine(y) + 4 * x;
      p[0] = uint8_t(x * 7), p[1] = uint8_t(y * 3), p[2] = uint8_t(x ^ y), p[3] = alpha(x, y);
    }
  return bitmap;
}

// Only the header size, the compression, the offset of the pixels and the masks and colour
// space after the 40 bytes tell the two headers apart.
TEST(AlphaBitmap, WriterHeaderKeepsAlphaOnlyWhereThereIsAlpha) {
  const std::string common = "01 00 00 00 01 00 00 00 01 00 20 00 03 00 00 00 04 00 00 00 "
                             "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00";
  const std::string zeros64 = [] {
    std::string text;
    for (int i = 0; i < 64; ++i)
      text += " 00";
    return text;
  }();
  const struct {
    TPixelFormat format;
    bool alpha;
    std::string head;
  } cases[] = {
      {TPixelFormat::pf32bit, true,
       "42 4D 8E 00 00 00 00 00 00 00 8A 00 00 00 7C 00 00 00 " + common +
           " 00 00 FF 00 00 FF 00 00 FF 00 00 00 00 00 00 FF 42 47 52 73" + zeros64},
      {TPixelFormat::pf32bit, false,
       "42 4D 3A 00 00 00 00 00 00 00 36 00 00 00 28 00 00 00 01 00 00 00 01 00 00 00 01 00 "
       "20 00 00 00 00 00 04 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"},
      // Alpha means nothing to any other format.
      {TPixelFormat::pf24bit, true,
       "42 4D 3A 00 00 00 00 00 00 00 36 00 00 00 28 00 00 00 01 00 00 00 01 00 00 00 01 00 "
       "18 00 00 00 00 00 04 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << BitsPerPixel(c.format) << " bpp, alpha " << c.alpha);
    TUniBitmap bitmap;
    bitmap.Allocate(1, 1, c.format, true);
    bitmap.SetHasAlpha(c.alpha);
    std::fill_n(bitmap.ScanLine(0), bitmap.BitsPerPixel() / 8, uint8_t{0x80});
    const Bytes file = Written(bitmap, TBmpLayout::Plain);
    Bytes expected = Hex(c.head);
    expected.resize(expected.size() + 4);
    std::fill_n(expected.end() - 4, bitmap.BitsPerPixel() / 8, uint8_t{0x80});
    EXPECT_EQ(file, expected);
  }
}

// Alpha survives every layout and every reading path exactly; a picture whose alpha is all 0
// reads back opaque, and is then written as any opaque picture is.
TEST(AlphaBitmap, EveryLayoutKeepsAlphaAndAllZeroReadsOpaque) {
  const struct {
    int width, height;
    bool zero;
  } cases[] = {{5, 3, false}, {300, 90, false}, {5, 3, true}, {300, 90, true}};
  for (const auto& c : cases) {
    const TUniBitmap bitmap =
        Pixels(c.width, c.height, [&](int x, int y) { return uint8_t(c.zero ? 0 : x * y); });
    TUniBitmap opaque = bitmap;
    opaque.SetHasAlpha(false);
    for (TBmpLayout layout : {TBmpLayout::Plain, TBmpLayout::BLZStream, TBmpLayout::PackedBitmap})
      for (unsigned threads : {1u, 3u}) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " zero " << c.zero << " "
                                        << LayoutName(layout) << ", threads " << threads);
        blocks::SetThreads(threads);
        const Bytes file = Written(bitmap, layout);
        if (layout != TBmpLayout::BLZStream) { // the header stands uncompressed
          EXPECT_EQ(file[14], 124);
          EXPECT_EQ(file[30], layout == TBmpLayout::Plain ? 3 : 'L');
        }
        if (layout == TBmpLayout::PackedBitmap) {
          EXPECT_EQ(file[54], 3);
        }
        const TUniBitmap read = testsupport::Loaded<TUniBitmap>(file);
        EXPECT_EQ(read.HasAlpha(), !c.zero);
        EXPECT_TRUE(std::ranges::equal(read.Bits(), bitmap.Bits()));
        EXPECT_EQ(Written(read, TBmpLayout::Plain),
                  Written(c.zero ? opaque : bitmap, TBmpLayout::Plain));
      }
    blocks::SetThreads(0);
  }
}

// Every pixel of every format, at widths that leave part of a byte or a word over, with
// bytes after the row that must stay untouched.
TEST(PixelRows, EveryPixelOfEveryFormatAndNothingMore) {
  const TPixelFormat formats[] = {
      TPixelFormat::pf1bit,  TPixelFormat::pf4bit,  TPixelFormat::pf8bit, TPixelFormat::pf15bit,
      TPixelFormat::pf16bit, TPixelFormat::pf24bit, TPixelFormat::pf32bit};
  std::mt19937 random(7);
  for (TPixelFormat format : formats)
    for (int width : {1, 3, 5, 7})
      for (bool hasAlpha : {false, true})
        for (bool alpha : {false, true}) {
          SCOPED_TRACE(testing::Message() << "bpp " << BitsPerPixel(format) << " width " << width
                                          << " hasAlpha " << hasAlpha << " alpha " << alpha);
          TUniBitmap bitmap = testsupport::Noise(width, 3, format, random());
          if (BitsPerPixel(format) <= 8) {
            std::vector<TRGBQuad> palette(size_t{1} << BitsPerPixel(format));
            for (TRGBQuad& quad : palette)
              quad = {uint8_t(random()), uint8_t(random()), uint8_t(random()), 0};
            bitmap.SetPalette(palette);
          }
          bitmap.SetHasAlpha(hasAlpha && format == TPixelFormat::pf32bit);
          const size_t channels = alpha ? 4 : 3;
          for (int y = 0; y < bitmap.Height(); ++y) {
            std::vector<uint8_t> out(channels * width + 8, 0xA5);
            ConvertRow(bitmap, y, alpha ? TRowLayout::Rgba : TRowLayout::Rgb, out.data());
            std::vector<uint8_t> expected;
            for (int x = 0; x < width; ++x) {
              const TColor c = bitmap.GetPixel(x, y);
              expected.insert(expected.end(), {GetRValue(c), GetGValue(c), GetBValue(c)});
              const bool kept = format == TPixelFormat::pf32bit && bitmap.HasAlpha();
              if (alpha) expected.push_back(kept ? bitmap.ScanLine(y)[4 * x + 3] : 255);
            }
            expected.resize(out.size(), 0xA5); // nothing written past the row
            EXPECT_EQ(out, expected) << "row " << y;
          }
        }
}

} // namespace
