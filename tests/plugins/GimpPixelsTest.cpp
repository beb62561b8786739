// The GIMP plug-in's pixel conversion: every drawable type into the bitmap a BLZ file stores.
#include "GimpPixels.h"
#include "PluginCore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

namespace {

struct TPixel {
  uint8_t r, g, b, a;
};

struct TCase {
  TDrawablePixels kind;
  std::vector<uint8_t> bytes; // 3 x 2 pixels
  int bpp;
  std::array<TPixel, 6> expected;
};

// Two entries; index 2 lies beyond the colormap.
const std::vector<uint8_t> kColormap = {10, 20, 30, 200, 100, 50};

TEST(GimpPixelsTest, EveryDrawableTypeReachesTheBlzFileUnchanged) {
  const TCase cases[] = {
      {TDrawablePixels::Rgb,
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 255, 0, 128},
       24,
       {{{1, 2, 3, 255},
         {4, 5, 6, 255},
         {7, 8, 9, 255},
         {10, 11, 12, 255},
         {13, 14, 15, 255},
         {255, 0, 128, 255}}}},
      {TDrawablePixels::Rgba,
       {1, 2, 3, 0, 4, 5, 6, 7, 7, 8, 9, 255, 10, 11, 12, 128, 13, 14, 15, 1, 0, 0, 0, 0},
       32,
       {{{1, 2, 3, 0},
         {4, 5, 6, 7},
         {7, 8, 9, 255},
         {10, 11, 12, 128},
         {13, 14, 15, 1},
         {0, 0, 0, 0}}}},
      {TDrawablePixels::Grey,
       {0, 1, 127, 128, 254, 255},
       8,
       {{{0, 0, 0, 255},
         {1, 1, 1, 255},
         {127, 127, 127, 255},
         {128, 128, 128, 255},
         {254, 254, 254, 255},
         {255, 255, 255, 255}}}},
      {TDrawablePixels::GreyAlpha,
       {0, 255, 9, 0, 200, 77, 1, 1, 2, 2, 3, 3},
       32,
       {{{0, 0, 0, 255},
         {9, 9, 9, 0},
         {200, 200, 200, 77},
         {1, 1, 1, 1},
         {2, 2, 2, 2},
         {3, 3, 3, 3}}}},
      {TDrawablePixels::Indexed,
       {0, 1, 1, 0, 2, 0},
       8,
       {{{10, 20, 30, 255},
         {200, 100, 50, 255},
         {200, 100, 50, 255},
         {10, 20, 30, 255},
         {0, 0, 0, 255},
         {10, 20, 30, 255}}}},
      {TDrawablePixels::IndexedAlpha,
       {0, 255, 1, 0, 1, 128, 0, 9, 2, 255, 0, 0},
       32,
       {{{10, 20, 30, 255},
         {200, 100, 50, 0},
         {200, 100, 50, 128},
         {10, 20, 30, 9},
         {0, 0, 0, 255},
         {10, 20, 30, 0}}}},
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
    for (int y = 0; y < 2; ++y) {
      std::array<uint8_t, 12> row{};
      RowToRgb(bitmap, y, row.data(), true);
      for (int x = 0; x < 3; ++x) {
        const TPixel& e = test.expected[3 * y + x];
        const uint8_t* p = &row[4 * x];
        EXPECT_EQ((std::array{p[0], p[1], p[2], p[3]}), (std::array{e.r, e.g, e.b, e.a}))
            << "pixel " << x << "," << y;
      }
    }
    // The file keeps every byte (the fourth of a 32-bit pixel too) and every colour.
    for (bool stream : {false, true}) {
      TBitmap read;
      DecodeImage(EncodeBlz(bitmap, stream), read);
      EXPECT_EQ(read.PixelFormat(), bitmap.PixelFormat()) << stream;
      EXPECT_TRUE(std::ranges::equal(read.Bits(), bitmap.Bits())) << stream;
      for (int y = 0; y < 2; ++y) {
        std::array<uint8_t, 9> row{};
        RowToRgb(read, y, row.data(), false);
        for (int x = 0; x < 3; ++x) {
          const TPixel& e = test.expected[3 * y + x];
          EXPECT_EQ((std::array{row[3 * x], row[3 * x + 1], row[3 * x + 2]}),
                    (std::array{e.r, e.g, e.b}))
              << "pixel " << x << "," << y << " read back, stream " << stream;
        }
      }
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
