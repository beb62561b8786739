// The GIMP plug-in's pixel conversion: every drawable type into the bitmap a BLZ file stores.
#include "GimpPixels.h"
#include "PluginCore.h"
#include "bmp/PixelRows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace {

struct TCase {
  TDrawablePixels kind;
  std::vector<uint8_t> bytes; // 3 x 2 pixels
  int bpp;
  const char* expected; // each pixel as RRGGBBAA, rows from the top
};

// Byte `channel` (0 red … 3 alpha) of pixel `i` of a case's expected pixels.
uint8_t Expected(const TCase& test, int i, int channel) {
  return static_cast<uint8_t>(
      std::stoul(std::string(test.expected + 9 * i + 2 * channel, 2), nullptr, 16));
}

// Two entries; index 2 lies beyond the colormap.
const std::vector<uint8_t> kColormap = {10, 20, 30, 200, 100, 50};

TEST(GimpPixelsTest, EveryDrawableTypeReachesTheBlzFileUnchanged) {
  const TCase cases[] = {
      {TDrawablePixels::Rgb,
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 255, 0, 128},
       24,
       "010203ff 040506ff 070809ff 0a0b0cff 0d0e0fff ff0080ff"},
      {TDrawablePixels::Rgba,
       {1, 2, 3, 0, 4, 5, 6, 7, 7, 8, 9, 255, 10, 11, 12, 128, 13, 14, 15, 1, 0, 0, 0, 0},
       32,
       "01020300 04050607 070809ff 0a0b0c80 0d0e0f01 00000000"},
      {TDrawablePixels::Grey,
       {0, 1, 127, 128, 254, 255},
       8,
       "000000ff 010101ff 7f7f7fff 808080ff fefefeff ffffffff"},
      {TDrawablePixels::GreyAlpha,
       {0, 255, 9, 0, 200, 77, 1, 1, 2, 2, 3, 3},
       32,
       "000000ff 09090900 c8c8c84d 01010101 02020202 03030303"},
      {TDrawablePixels::Indexed,
       {0, 1, 1, 0, 2, 0},
       8,
       "0a141eff c86432ff c86432ff 0a141eff 000000ff 0a141eff"},
      {TDrawablePixels::IndexedAlpha,
       {0, 255, 1, 0, 1, 128, 0, 9, 2, 255, 0, 0},
       32,
       "0a141eff c8643200 c8643280 0a141e09 000000ff 0a141e00"},
  };
  for (const TCase& test : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(test.kind));
    ASSERT_EQ(test.bytes.size(), 6u * BytesPerPixel(test.kind));
    TUniBitmap bitmap;
    PrepareBitmap(bitmap, 3, 2, test.kind, kColormap);
    // In two strips, as the plug-in hands them over.
    StoreDrawableRows(bitmap, test.kind, 0, 1, test.bytes.data(), kColormap);
    StoreDrawableRows(bitmap, test.kind, 1, 1, test.bytes.data() + 3 * BytesPerPixel(test.kind),
                      kColormap);
    bitmap.ClearRowPadding();
    EXPECT_EQ(bitmap.BitsPerPixel(), test.bpp);
    auto expectPixels = [&](const TBitmap& shown, const char* what) {
      for (int y = 0; y < 2; ++y) {
        std::array<uint8_t, 12> row{};
        ConvertRow(shown, y, TRowLayout::Rgba, row.data());
        for (int x = 0; x < 3; ++x)
          for (int c = 0; c < 4; ++c)
            EXPECT_EQ(row[4 * x + c], Expected(test, 3 * y + x, c)) << x << "," << y << what;
      }
    };
    expectPixels(bitmap, "");
    // The file keeps every byte, every colour and alpha.
    for (bool stream : {false, true}) {
      TBitmap read;
      DecodeImage(EncodeBlz(bitmap, stream), read);
      EXPECT_EQ(read.PixelFormat(), bitmap.PixelFormat()) << stream;
      EXPECT_TRUE(std::ranges::equal(read.Bits(), bitmap.Bits())) << stream;
      EXPECT_EQ(read.HasAlpha(), bitmap.HasAlpha()) << stream;
      expectPixels(read, stream ? " read back from a stream" : " read back packed");
    }
  }
}

TEST(GimpPixelsTest, AColormapOfMoreThan256EntriesOrCutShortIsRefused) {
  TBitmap bitmap;
  const std::vector<uint8_t> tooLong(3 * 257), cutShort(4);
  for (const auto* colormap : {&tooLong, &cutShort})
    EXPECT_THROW(PrepareBitmap(bitmap, 1, 1, TDrawablePixels::Indexed, *colormap),
                 std::invalid_argument);
}

} // namespace
