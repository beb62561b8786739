// GIF files written by independent encoders (netpbm, ImageMagick) at test time, decoded and
// compared pixel for pixel with giftopnm.
#include "ReferencePixels.h"
#include "TestSupport.h"
#include "graphics/Streams.h"
#include "import/SGIFImg.h"

#include <gtest/gtest.h>

using referencetest::SamePixels;
using referencetest::WritePattern;
using testsupport::Image;

namespace {

using Bytes = std::vector<uint8_t>;

TSGIFBitmap LoadFile(const std::string& file) {
  TSGIFBitmap bitmap;
  bitmap.LoadFromFile(file);
  return bitmap;
}

Image GiftopnmOf(const testsupport::TempDir& dir, const std::string& gif) {
  std::string out = dir.File("reference.ppm");
  if (testsupport::Run("giftopnm '" + gif + "' > '" + out + "' 2>/dev/null") != 0) return {};
  return testsupport::ReadNetpbm(out);
}

// Moves the global colour table into the first image descriptor and puts an inverted copy in
// its place, so that a decoder that ignores the local table shows wrong colours.
Bytes WithLocalTable(Bytes gif) {
  size_t table = size_t(3) << ((gif[10] & 7) + 1);
  Bytes colors(gif.begin() + 13, gif.begin() + 13 + long(table));
  for (size_t i = 13; i < 13 + table; ++i)
    gif[i] = uint8_t(~gif[i]);
  size_t pos = 13 + table;
  while (gif[pos] == 0x21) {
    pos += 2;
    while (gif[pos] != 0)
      pos += gif[pos] + 1u;
    ++pos;
  }
  gif[pos + 9] |= uint8_t(0x80 | (gif[10] & 7));
  gif.insert(gif.begin() + long(pos + 10), colors.begin(), colors.end());
  return gif;
}

TEST(GifReference, FilesOfIndependentEncodersDecodeAsGiftopnmDoes) {
  for (const char* tool : {"ppmtogif", "pamtogif", "giftopnm", "convert"})
    if (!testsupport::HaveTool(tool)) GTEST_SKIP() << tool << " is not installed";
  testsupport::TempDir dir;
  const std::string in = dir.File("in.ppm"), second = dir.File("second.ppm"),
                    gif = dir.File("test.gif");
  struct Case {
    int width, height, colors;
    std::string command; // writes `gif` from `in` (and `second`)
  } cases[] = {
      {37, 23, 2, "ppmtogif '" + in + "' > '" + gif + "'"},
      {37, 23, 3, "ppmtogif -interlace '" + in + "' > '" + gif + "'"},
      {64, 48, 16, "pamtogif -comment 'a comment of this test' '" + in + "' > '" + gif + "'"},
      {19, 9, 17, "pamtogif -interlace '" + in + "' > '" + gif + "'"},
      {300, 200, 256, "ppmtogif '" + in + "' > '" + gif + "'"},
      {300, 200, 256, "convert '" + in + "' '" + gif + "'"},
      {101, 77, 100, "convert '" + in + "' -interlace GIF '" + gif + "'"},
      {13, 8, 5, "convert '" + in + "' -comment 'some words' '" + gif + "'"},
      {40, 30, 60, "convert -delay 10 '" + in + "' '" + second + "' -loop 0 '" + gif + "'"},
      {3, 1, 2, "convert '" + in + "' -interlace GIF '" + gif + "'"},
  };
  unsigned seed = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command + " (" + std::to_string(c.colors) + " colours)");
    WritePattern(in, c.width, c.height, c.colors, seed++);
    WritePattern(second, c.width / 2, c.height, 7, seed++);
    ASSERT_EQ(testsupport::Run(c.command + " 2>/dev/null"), 0);
    Image ref = GiftopnmOf(dir, gif);
    TSGIFBitmap b = LoadFile(gif);
    EXPECT_EQ(b.BitsPerPixel(), 8);
    EXPECT_EQ(b.Palette().size(), 256u);
    EXPECT_TRUE(SamePixels(b, ref));

    testsupport::WriteFile(gif, WithLocalTable(testsupport::ReadFile(gif)));
    EXPECT_TRUE(SamePixels(LoadFile(gif), GiftopnmOf(dir, gif))) << "with a local colour table";
  }
}

} // namespace
