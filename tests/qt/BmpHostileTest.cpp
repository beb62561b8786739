// Hand-made BMP files: the variants no tool at hand writes (RLE4, deltas, top-down, partial
// tables, odd masks). Hostile ones, which must be refused with EInvalidGraphic before any
// large allocation, are kept files with rows in the corpus manifest.
#include "HandMade.h"
#include "TestSupport.h"
#include "bmp/Bitmap.h"
#include "io/ByteReader.h"
#include "io/Exceptions.h"
#include "io/Limits.h"
#include "qt/BitmapQt.h"

#include <gtest/gtest.h>

#include <sstream>

using testsupport::Hex;
using enum TPixelFormat;

namespace {

// Builds a BMP file with a 40-byte (or other) info header; fields default to a valid image.
struct TBmpBuilder {
  int width = 4, height = 2, bpp = 8, planes = 1;
  uint32_t compression = 0, headerSize = 40, colorsUsed = 0;
  std::vector<uint32_t> masks; // after a 40-byte header, or inside a larger one
  std::vector<uint8_t> table;  // colour table bytes
  std::vector<uint8_t> pixels;
  int64_t pixelOffset = -1; // -1: right after the table

  std::vector<uint8_t> Build() const {
    std::vector<uint8_t> dib = testsupport::Dib(
        {headerSize, uint16_t(bpp), compression, colorsUsed, width, height, uint16_t(planes), 0});
    for (size_t i = 0; i < masks.size(); ++i) {
      if (headerSize <= 40) dib.resize(dib.size() + 4);
      StoreU32LE(dib.data() + (headerSize > 40 ? 40 + 4 * i : dib.size() - 4), masks[i]);
    }
    dib.insert(dib.end(), table.begin(), table.end());
    const auto offset = uint32_t(pixelOffset < 0 ? int64_t(14 + dib.size()) : pixelOffset);
    dib.insert(dib.end(), pixels.begin(), pixels.end());
    return testsupport::BmpFile(dib, offset);
  }
};

std::vector<uint8_t> GreyTable(int entries) {
  std::vector<uint8_t> table(size_t(entries) * 4);
  for (size_t i = 0; i < table.size(); ++i)
    table[i] = i % 4 == 3 ? 0 : uint8_t(i / 4 * 16);
  return table;
}

// Palette indices of a bitmap with a grey table as hex digits, rows from the top split by '/'.
std::string Indices(const TBitmap& bitmap) {
  std::string rows;
  for (int y = 0; y < bitmap.Height(); ++y) {
    for (int x = 0; x < bitmap.Width(); ++x)
      rows += "0123456789ABCDEF"[GetRValue(bitmap.GetPixel(x, y)) / 16];
    rows += y + 1 < bitmap.Height() ? "/" : "";
  }
  return rows;
}

// A paletted image with `entries` grey table entries, `declared` of them named in the header.
TBmpBuilder Indexed(int bpp, int width, int height, uint32_t declared, int entries,
                    std::vector<uint8_t> pixels) {
  TBmpBuilder b{.width = width, .height = height, .bpp = bpp, .colorsUsed = declared};
  b.table = GreyTable(entries), b.pixels = std::move(pixels);
  return b;
}

TBmpBuilder Rle(int bpp, int width, int height, const char* stream) {
  TBmpBuilder b = Indexed(bpp, width, height, 16, 16, Hex(stream));
  b.compression = bpp == 8 ? 1u : 2u;
  return b;
}

TEST(BmpRle, DecodesToIndices) {
  const struct {
    int bpp, width, height;
    const char *stream, *rows;
  } cases[] = {
      {8, 5, 2, "02 07 00 03 01 02 03 00 00 00 05 09 00 01", "99999/77123"}, // runs, literal
      {8, 3, 2, "05 04 00 00 02 05 00 01", "550/444"},              // run clipped at row end
      {8, 2, 1, "00 03 01 02 03 00 00 01", "12"},                   // literal clipped
      {8, 4, 3, "01 05 00 02 02 01 02 06 00 01", "0000/0006/5000"}, // delta leaves zeros
      {8, 3, 2, "03 02 00 01", "000/222"},                          // early end of bitmap
      {8, 2, 2, "02 01 00 00 02 03", "33/11"},                      // no end of bitmap
      {8, 1, 1, "01 01 00 00 01 1F 00 01", "1"}, // rows beyond the image, of no colour
      {4, 5, 1, "05 12 00 01", "12121"},         // alternating run
      {4, 5, 2, "00 05 AB CD E0 00 00 00 04 12 00 01", "12120/ABCDE"}, // odd literal padded
      {4, 3, 1, "07 34 00 01", "343"},                                 // run clipped
  };
  for (const auto& c : cases) {
    const auto file = Rle(c.bpp, c.width, c.height, c.stream).Build();
    TBitmap bitmap;
    size_t consumed = 0;
    ReadBmp(file, bitmap, &consumed);
    EXPECT_EQ(bitmap.PixelFormat(), c.bpp == 8 ? pf8bit : pf4bit) << c.stream;
    EXPECT_EQ(Indices(bitmap), c.rows) << c.stream;
    EXPECT_EQ(consumed, file.size()) << c.stream;
  }
}

// The refusals, each with its text, are rows of the corpus manifest
// (tests/data/regressions/bmp_reader); the reader itself raises EInvalidGraphic for every one.
TEST(BmpRefusal, KeptFilesAreInvalidGraphics) {
  const std::vector<std::string> files = testsupport::KeptRefusals("bmp");
  EXPECT_GE(files.size(), 26u);
  for (const std::string& file : files) {
    TBitmap bitmap;
    EXPECT_THROW(ReadBmp(testsupport::ReadFile(file), bitmap), EInvalidGraphic) << file;
  }
}

TEST(Limits, EachLimitHoldsUpToItsBoundary) {
  const struct {
    int64_t width, height;
    int bpp;
    const char* refusal; // part of the message; empty: accepted
  } cases[] = {
      {65535, 1, 24, ""},         {1, 65536, 24, "above 65535"},
      {-1, 1, 24, "negative"},    {16384, 16384, 8, ""},
      {16384, 16385, 8, "2^28"},  {8192, 16384, 64, ""},
      {8192, 16385, 64, "1 GiB"}, {1, 1, 0, "bit depth"},
      {1, 1, 65, "bit depth"},    {0, 0, 24, ""},
  };
  for (const auto& c : cases) {
    const std::string message = testsupport::ThrownText<EInvalidGraphic>(
        [&] { limits::CheckBitmapLimits(c.width, c.height, c.bpp, "Test"); });
    EXPECT_EQ(message.empty(), !*c.refusal) << c.width << "x" << c.height << ": " << message;
    EXPECT_NE(message.find(c.refusal), std::string::npos) << message;
  }
}

// Size, depth, palette length, row 0's bytes (padding included) and its first and last
// pixels as 0xBBGGRR.
std::string Summary(const std::vector<uint8_t>& file) {
  TBitmap b;
  ReadBmp(file, b);
  std::ostringstream s;
  s << b.Width() << "x" << b.Height() << " " << b.BitsPerPixel() << " bits " << b.Palette().size()
    << " colours" << std::hex;
  for (int64_t i = 0; b.Width() > 0 && i < b.RowStride(); ++i)
    s << " " << int{b.ScanLine(0)[i]};
  if (b.Width() > 0) s << " : " << b.GetPixel(0, 0) << " " << b.GetPixel(b.Width() - 1, 0);
  return s.str();
}

TEST(BmpRead, PartialTablesAndPadding) {
  const std::pair<std::vector<uint8_t>, const char*> cases[] = {
      // The last byte is row padding, which is cleared.
      {Indexed(8, 3, 1, 3, 3, {2, 1, 0, 0xEE}).Build(), "3x1 8 bits 3 colours 2 1 0 0 : 202020 0"},
      // A set padding nibble after the last pixel is no colour index.
      {Indexed(4, 3, 1, 2, 2, {0x01, 0x0F, 0, 0}).Build(), "3x1 4 bits 2 colours 1 0 0 0 : 0 0"},
      // 256 entries declared, only 2 present before the pixels: the missing ones are dropped.
      {Indexed(8, 4, 1, 0, 2, {0, 1, 1, 0}).Build(), "4x1 8 bits 2 colours 0 1 1 0 : 0 0"},
      // Zero width, top-down, one entry: an empty image of the declared height.
      {Indexed(8, 0, -5, 1, 1, {}).Build(), "0x5 8 bits 1 colours"},
      // 12-byte core header, 2 × 1 pixels, 1 bit, two 3-byte entries.
      {Hex("42 4D 24 00 00 00 00 00 00 00 20 00 00 00 0C 00 00 00 02 00 01 00 01 00 01 00 "
           "10 20 30 F0 E0 D0 40 00 00 00"),
       "2x1 1 bits 2 colours 40 0 0 0 : 102030 f0e0d0"},
  };
  for (const auto& [file, summary] : cases)
    EXPECT_EQ(Summary(file), summary);
}

TEST(BmpMasks, ScalesEachChannel) {
  const struct {
    int bpp;
    uint32_t compression, headerSize;
    std::vector<uint32_t> masks;
    uint32_t pixel;
    TPixelFormat format;
    uint32_t argb;
  } cases[] = {
      // 5-5-5 kept: 5-bit 3 → round(3 × 255 / 31) = 25, where copying the top bits gives 24.
      {16, 0, 40, {}, 3 << 10 | 16 << 5 | 31, pf15bit, 0xFF1984FF},
      {16, 3, 40, {0xF800, 0x07E0, 0x001F}, 0x0020 | 0x001F << 11, pf16bit, 0xFFFF0400},
      {16, 3, 56, {0x0F00, 0x00F0, 0x000F, 0xF000}, 0x81F3, pf32bit, 0x8811FF33},
      {16, 3, 124, {0x7C00, 0x03E0, 0x001F, 0x8000}, 0x8000 | 31 << 10, pf32bit, 0xFFFF0000},
      {32, 3, 40, {0xFF000000, 0x00FF0000, 0x0000FF00}, 0x11223344, pf24bit, 0xFF112233},
      // A mask may fill the whole pixel.
      {16, 3, 40, {0xFFFF, 0xFF00, 0x00FF}, 0x12FF, pf24bit, 0xFF1312FF},
      {32, 3, 124, {0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000}, 0x7FF80001, pf32bit, 0x55FF8000},
      // Alpha bit fields after a 40-byte header; then the standard alpha mask.
      {32, 6, 40, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, 0x80102030, pf32bit, 0x80102030},
      {32, 3, 108, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, 0x7F010203, pf32bit, 0x7F010203},
      // An alpha mask whose every value is 0 marks a writer that left alpha unset.
      {32, 3, 124, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, 0x00010203, pf32bit, 0xFF010203},
      // Without bit fields the masks in the header are not used: no alpha.
      {32, 0, 124, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, 0x80010203, pf32bit, 0xFF010203},
  };
  for (const auto& c : cases) {
    TBmpBuilder b{.width = 1, .height = 1, .bpp = c.bpp, .compression = c.compression};
    b.headerSize = c.headerSize, b.masks = c.masks, b.pixels.assign(4, 0);
    StoreU32LE(b.pixels.data(), c.pixel);
    TBitmap bitmap;
    ReadBmp(b.Build(), bitmap);
    EXPECT_EQ(bitmap.PixelFormat(), c.format) << std::hex << c.argb;
    EXPECT_EQ(BitmapToQImage(bitmap).pixel(0, 0), c.argb); // alpha 0xFF when it has none
  }
}

} // namespace
