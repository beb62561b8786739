// Hand-made BMP files: the variants no tool at hand writes (RLE4, deltas, top-down, partial
// tables, odd masks) and hostile ones that must be refused with EInvalidGraphic before any
// large allocation.
#include "TestSupport.h"
#include "graphics/Bitmap.h"
#include "graphics/ByteReader.h"
#include "graphics/Exceptions.h"
#include "graphics/Streams.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

using testsupport::Hex;

namespace {

// Builds a BMP file with a 40-byte (or other) info header; fields default to a valid image.
struct TBmpBuilder {
  int width = 4, height = 2, bpp = 8, planes = 1;
  uint32_t compression = 0, headerSize = 40, colorsUsed = 0, imageSize = 0;
  std::vector<uint32_t> masks; // after a 40-byte header, or inside a larger one
  std::vector<uint8_t> table;  // colour table bytes
  std::vector<uint8_t> pixels;
  int64_t pixelOffset = -1; // -1: right after the table
  int64_t fileSize = -1;    // -1: the real size

  std::vector<uint8_t> Build() const {
    std::vector<uint8_t> header(headerSize, 0);
    StoreU32LE(header.data(), headerSize);
    StoreU32LE(header.data() + 4, static_cast<uint32_t>(width));
    StoreU32LE(header.data() + 8, static_cast<uint32_t>(height));
    StoreU16LE(header.data() + 12, static_cast<uint16_t>(planes));
    StoreU16LE(header.data() + 14, static_cast<uint16_t>(bpp));
    StoreU32LE(header.data() + 16, compression);
    StoreU32LE(header.data() + 20, imageSize);
    StoreU32LE(header.data() + 32, colorsUsed);
    std::vector<uint8_t> file = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    file.insert(file.end(), header.begin(), header.end());
    for (size_t i = 0; i < masks.size(); ++i) {
      if (headerSize > 40) {
        StoreU32LE(file.data() + 14 + 40 + 4 * i, masks[i]);
      } else {
        uint8_t m[4];
        StoreU32LE(m, masks[i]);
        file.insert(file.end(), m, m + 4);
      }
    }
    file.insert(file.end(), table.begin(), table.end());
    const uint32_t offset =
        pixelOffset < 0 ? static_cast<uint32_t>(file.size()) : static_cast<uint32_t>(pixelOffset);
    file.insert(file.end(), pixels.begin(), pixels.end());
    StoreU32LE(file.data() + 2,
               fileSize < 0 ? static_cast<uint32_t>(file.size()) : static_cast<uint32_t>(fileSize));
    StoreU32LE(file.data() + 10, offset);
    return file;
  }
};

std::vector<uint8_t> GreyTable(int entries) {
  std::vector<uint8_t> table;
  for (int i = 0; i < entries; ++i)
    table.insert(table.end(), {uint8_t(i * 16), uint8_t(i * 16), uint8_t(i * 16), 0});
  return table;
}

// Palette indices of the bitmap's rows, top row first.
std::vector<std::vector<int>> Indices(const TBitmap& bitmap) {
  std::vector<std::vector<int>> rows;
  for (int y = 0; y < bitmap.Height(); ++y) {
    std::vector<int> row;
    const uint8_t* line = bitmap.ScanLine(y);
    for (int x = 0; x < bitmap.Width(); ++x)
      row.push_back(bitmap.PixelFormat() == TPixelFormat::pf8bit
                        ? line[x]
                        : line[x >> 1] >> ((x & 1) ? 0 : 4) & 15);
    rows.push_back(row);
  }
  return rows;
}

std::string RefusalOf(const std::vector<uint8_t>& file) {
  TBitmap bitmap;
  try {
    ReadBmp(file, bitmap);
  } catch (const EInvalidGraphic& e) {
    return e.what();
  }
  return "";
}

struct TRleCase {
  const char* name;
  int bpp, width, height;
  const char* stream;
  std::vector<std::vector<int>> rows; // expected indices, top row first
};

class BmpRle : public testing::TestWithParam<TRleCase> {};

TEST_P(BmpRle, DecodesToIndices) {
  const TRleCase& c = GetParam();
  TBmpBuilder b;
  b.bpp = c.bpp;
  b.width = c.width;
  b.height = c.height;
  b.compression = c.bpp == 8 ? 1 : 2;
  b.table = GreyTable(16);
  b.colorsUsed = 16;
  b.pixels = Hex(c.stream);
  const auto file = b.Build();
  TBitmap bitmap;
  size_t consumed = 0;
  ReadBmp(file, bitmap, &consumed);
  EXPECT_EQ(bitmap.PixelFormat(), c.bpp == 8 ? TPixelFormat::pf8bit : TPixelFormat::pf4bit);
  EXPECT_EQ(Indices(bitmap), c.rows);
  EXPECT_EQ(consumed, file.size());
}

INSTANTIATE_TEST_SUITE_P(
    Streams, BmpRle,
    testing::Values(
        TRleCase{"Rle8RunsAndLiteral",
                 8,
                 5,
                 2,
                 "02 07 00 03 01 02 03 00 00 00 05 09 00 01",
                 {{9, 9, 9, 9, 9}, {7, 7, 1, 2, 3}}},
        TRleCase{
            "Rle8RunClippedAtRowEnd", 8, 3, 2, "05 04 00 00 02 05 00 01", {{5, 5, 0}, {4, 4, 4}}},
        TRleCase{"Rle8LiteralClippedAtRowEnd", 8, 2, 1, "00 03 01 02 03 00 00 01", {{1, 2}}},
        TRleCase{"Rle8DeltaLeavesZeros",
                 8,
                 4,
                 3,
                 "01 05 00 02 02 01 02 06 00 01",
                 {{0, 0, 0, 0}, {0, 0, 0, 6}, {5, 0, 0, 0}}},
        TRleCase{"Rle8EarlyEndOfBitmap", 8, 3, 2, "03 02 00 01", {{0, 0, 0}, {2, 2, 2}}},
        TRleCase{"Rle8WithoutEndOfBitmap", 8, 2, 2, "02 01 00 00 02 03", {{3, 3}, {1, 1}}},
        TRleCase{"Rle8RowsBeyondTheImageDropped", 8, 1, 1, "01 01 00 00 01 02 00 01", {{1}}},
        TRleCase{"Rle4AlternatingRun", 4, 5, 1, "05 12 00 01", {{1, 2, 1, 2, 1}}},
        TRleCase{"Rle4LiteralOfOddByteCountIsPadded",
                 4,
                 5,
                 2,
                 "00 05 AB CD E0 00 00 00 04 12 00 01",
                 {{1, 2, 1, 2, 0}, {10, 11, 12, 13, 14}}},
        TRleCase{"Rle4RunClipped", 4, 3, 1, "07 34 00 01", {{3, 4, 3}}}),
    [](const auto& info) { return std::string(info.param.name); });

struct TRefusal {
  const char* name;
  std::vector<uint8_t> file;
  const char* text; // part of the message
};

TBmpBuilder Rle8(const char* stream) {
  TBmpBuilder b;
  b.width = 3;
  b.compression = 1;
  b.table = GreyTable(16);
  b.colorsUsed = 16;
  b.pixels = Hex(stream);
  return b;
}

std::vector<TRefusal> Refusals() {
  std::vector<TRefusal> cases;
  auto add = [&](const char* name, TBmpBuilder b, const char* text) {
    cases.push_back({name, b.Build(), text});
  };
  TBmpBuilder valid;
  valid.table = GreyTable(256);
  valid.pixels.assign(8, 1);
  {
    auto b = valid;
    b.width = 65536;
    add("WidthBeyondLimit", b, "above 65535");
  }
  {
    auto b = valid;
    b.width = 30000;
    b.height = 30000;
    add("TooManyPixels", b, "2^28");
  }
  {
    auto b = valid;
    b.height = INT32_MIN;
    add("MostNegativeHeight", b, "65535");
  }
  {
    auto b = valid;
    b.width = -4;
    add("NegativeWidth", b, "negative");
  }
  {
    auto b = valid;
    b.pixels.pop_back();
    add("PixelsShort", b, "truncated");
  }
  {
    auto b = valid;
    b.pixelOffset = 0x7FFFFFF0;
    add("OffsetBeyondFile", b, "beyond the end");
  }
  {
    auto b = valid;
    b.pixelOffset = 20;
    add("OffsetInsideHeader", b, "into the headers");
  }
  {
    auto b = valid;
    b.fileSize = 100000;
    add("FileSizeBeyondFile", b, "truncated");
  }
  {
    auto b = valid;
    b.colorsUsed = 0x40000000;
    add("HugeColourTable", b, "colour table");
  }
  {
    auto b = valid;
    b.imageSize = 0xFFFFFFF0;
    add("HugeImageSize", b, "image size");
  }
  {
    auto b = valid;
    b.headerSize = 200;
    add("UnknownHeaderSize", b, "header size");
  }
  {
    auto b = valid;
    b.planes = 2;
    add("TwoPlanes", b, "plane");
  }
  {
    auto b = valid;
    b.bpp = 7;
    add("OddDepth", b, "bits per pixel");
  }
  {
    auto b = valid;
    b.compression = 4;
    add("EmbeddedJpeg", b, "JPEG");
  }
  {
    auto b = valid;
    b.compression = 5;
    add("EmbeddedPng", b, "PNG");
  }
  {
    auto b = valid;
    b.compression = 2;
    add("Rle4AtEightBits", b, "does not go with");
  }
  {
    auto b = valid;
    b.colorsUsed = 1;
    add("IndexBeyondPartialTable", b, "colour 1 of a table of 1");
  }
  {
    auto b = Rle8("01 01 00 01");
    b.height = -2;
    add("TopDownRle", b, "top-down");
  }
  add("RleDeltaBeyondRow", Rle8("00 02 04 00 00 01"), "delta");
  add("RleDeltaBeyondTop", Rle8("00 02 00 02 00 01"), "delta");
  add("RleStreamEndsEarly", Rle8("03 01 00 00"), "stop before");
  add("RleLiteralCut", Rle8("00 03 01 02"), "stop before");
  {
    TBmpBuilder b;
    b.bpp = 16;
    b.compression = 3;
    b.masks = {0xFF00, 0x00FF, 0};
    b.pixels.assign(16, 0);
    add("EmptyBlueMask", b, "blue bit mask is empty");
  }
  {
    TBmpBuilder b;
    b.bpp = 16;
    b.compression = 3;
    b.masks = {0x1F000, 0x7E0, 0x1F};
    b.pixels.assign(16, 0);
    add("MaskBeyondPixel", b, "red bit mask");
  }
  {
    TBmpBuilder b;
    b.bpp = 32;
    b.compression = 3;
    b.masks = {0xF0F00000, 0xFF00, 0xFF};
    b.pixels.assign(32, 0);
    add("SplitMask", b, "not a run of bits");
  }
  cases.push_back({"NotBmp", Hex("47 49 46 38 39 61 00 00 00 00 00 00 00 00"), "signature"});
  cases.push_back({"Empty", {}, "truncated"});
  cases.push_back(
      {"HeaderCut", Hex("42 4D 00 00 00 00 00 00 00 00 36 00 00 00 28 00"), "truncated"});
  return cases;
}

class BmpRefusal : public testing::TestWithParam<TRefusal> {};

TEST_P(BmpRefusal, ThrowsInvalidGraphicNamingTheFault) {
  const std::string message = RefusalOf(GetParam().file);
  ASSERT_FALSE(message.empty()) << "was read";
  EXPECT_NE(message.find(GetParam().text), std::string::npos) << message;
}

INSTANTIATE_TEST_SUITE_P(Files, BmpRefusal, testing::ValuesIn(Refusals()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BmpRead, TopDownEqualsBottomUp) {
  TBmpBuilder b;
  b.width = 3;
  b.height = 3;
  b.bpp = 24;
  for (int i = 0; i < 36; ++i)
    b.pixels.push_back(static_cast<uint8_t>(i * 7));
  TBitmap bottomUp, topDown;
  ReadBmp(b.Build(), bottomUp);
  b.height = -3;
  std::vector<uint8_t> reversed;
  for (int row = 2; row >= 0; --row)
    reversed.insert(reversed.end(), b.pixels.begin() + row * 12, b.pixels.begin() + row * 12 + 12);
  b.pixels = reversed;
  ReadBmp(b.Build(), topDown);
  ASSERT_EQ(topDown.Height(), 3);
  EXPECT_TRUE(std::equal(bottomUp.Bits().begin(), bottomUp.Bits().end(), topDown.Bits().begin()));
}

TEST(BmpRead, PartialTableKeepsItsCountAndPaddingIsCleared) {
  TBmpBuilder b;
  b.width = 3;
  b.height = 1;
  b.colorsUsed = 3;
  b.table = GreyTable(3);
  b.pixels = {2, 1, 0, 0xEE}; // the last byte is row padding
  TBitmap bitmap;
  ReadBmp(b.Build(), bitmap);
  EXPECT_EQ(bitmap.Palette().size(), 3u);
  EXPECT_EQ(bitmap.GetPixel(0, 0), RGB(32, 32, 32));
  EXPECT_EQ(bitmap.Bits()[3], 0);
}

TEST(BmpRead, TableEntriesBeyondThePixelOffsetAreDropped) {
  TBmpBuilder b;
  b.width = 4;
  b.height = 1;
  b.table = GreyTable(2); // 256 declared, only 2 present before the pixels
  b.pixels = {0, 1, 1, 0};
  TBitmap bitmap;
  ReadBmp(b.Build(), bitmap);
  EXPECT_EQ(bitmap.Palette().size(), 2u);
}

TEST(BmpRead, CoreHeaderWithThreeByteEntries) {
  // 12-byte header, 2 × 1 pixels, 1 bit, two 3-byte entries.
  auto file = Hex("42 4D 24 00 00 00 00 00 00 00 20 00 00 00 0C 00 00 00 02 00 01 00 01 00 01 00 "
                  "10 20 30 F0 E0 D0 40 00 00 00");
  TBitmap bitmap;
  ReadBmp(file, bitmap);
  EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf1bit);
  EXPECT_EQ(bitmap.GetPixel(0, 0), RGB(0x30, 0x20, 0x10));
  EXPECT_EQ(bitmap.GetPixel(1, 0), RGB(0xD0, 0xE0, 0xF0));
}

struct TMaskCase {
  const char* name;
  int bpp;
  uint32_t compression;
  uint32_t headerSize;
  std::vector<uint32_t> masks;
  uint32_t pixel;
  TPixelFormat format;
  uint32_t argb; // expected; alpha 0xFF when the bitmap has none
};

class BmpMasks : public testing::TestWithParam<TMaskCase> {};

TEST_P(BmpMasks, ScalesEachChannel) {
  const TMaskCase& c = GetParam();
  TBmpBuilder b;
  b.width = 1;
  b.height = 1;
  b.bpp = c.bpp;
  b.compression = c.compression;
  b.headerSize = c.headerSize;
  b.masks = c.masks;
  b.pixels.assign(4, 0);
  StoreU32LE(b.pixels.data(), c.pixel);
  TBitmap bitmap;
  ReadBmp(b.Build(), bitmap);
  EXPECT_EQ(bitmap.PixelFormat(), c.format);
  const TColor color = bitmap.GetPixel(0, 0);
  const uint32_t alpha = bitmap.HasAlpha() ? bitmap.ScanLine(0)[3] : 0xFF;
  EXPECT_EQ(alpha << 24 | uint32_t{GetRValue(color)} << 16 | uint32_t{GetGValue(color)} << 8 |
                GetBValue(color),
            c.argb);
}

INSTANTIATE_TEST_SUITE_P(
    Pixels, BmpMasks,
    testing::Values(
        // 5-bit 3 → round(3 × 255 / 31) = 25, where copying the top bits down gives 24.
        TMaskCase{
            "Rgb555Kept", 16, 0, 40, {}, 3 << 10 | 16 << 5 | 31, TPixelFormat::pf15bit, 0xFF1984FF},
        TMaskCase{"Rgb565Kept",
                  16,
                  3,
                  40,
                  {0xF800, 0x07E0, 0x001F},
                  0x0020 | 0x001F << 11,
                  TPixelFormat::pf16bit,
                  0xFFFF0400},
        TMaskCase{"Argb4444",
                  16,
                  3,
                  56,
                  {0x0F00, 0x00F0, 0x000F, 0xF000},
                  0x81F3,
                  TPixelFormat::pf32bit,
                  0x8811FF33},
        TMaskCase{"Argb1555",
                  16,
                  3,
                  124,
                  {0x7C00, 0x03E0, 0x001F, 0x8000},
                  0x8000 | 31 << 10,
                  TPixelFormat::pf32bit,
                  0xFFFF0000},
        TMaskCase{"Xbgr",
                  32,
                  3,
                  40,
                  {0xFF000000, 0x00FF0000, 0x0000FF00},
                  0x11223344,
                  TPixelFormat::pf24bit,
                  0xFF112233},
        TMaskCase{"Rgba1010102",
                  32,
                  3,
                  124,
                  {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000},
                  0x40000000 | 1023u << 20 | 512 << 10 | 1,
                  TPixelFormat::pf32bit,
                  0x55FF8000},
        TMaskCase{"AlphaBitFieldsAfterHeader",
                  32,
                  6,
                  40,
                  {0xFF0000, 0xFF00, 0xFF, 0xFF000000},
                  0x80102030,
                  TPixelFormat::pf32bit,
                  0x80102030},
        TMaskCase{"StandardAlphaKept",
                  32,
                  3,
                  108,
                  {0xFF0000, 0xFF00, 0xFF, 0xFF000000},
                  0x7F010203,
                  TPixelFormat::pf32bit,
                  0x7F010203},
        // An alpha mask whose every value is 0 marks a writer that left alpha unset.
        TMaskCase{"ZeroAlphaIsOpaque",
                  32,
                  3,
                  124,
                  {0xFF0000, 0xFF00, 0xFF, 0xFF000000},
                  0x00010203,
                  TPixelFormat::pf32bit,
                  0xFF010203},
        TMaskCase{"NoBitFieldsNoAlpha",
                  32,
                  0,
                  124,
                  {0xFF0000, 0xFF00, 0xFF, 0xFF000000},
                  0x80010203,
                  TPixelFormat::pf32bit,
                  0xFF010203}),
    [](const auto& info) { return std::string(info.param.name); });

// Damaged copies of valid files must either read or be refused cleanly (run under the
// sanitizers, this also proves no read leaves the span).
TEST(BmpRead, TruncatedAndCorruptedFilesNeverEscape) {
  std::vector<std::vector<uint8_t>> seeds = {
      Rle8("03 01 00 00 00 03 01 02 03 00 02 01 00 01").Build()};
  {
    TBmpBuilder b;
    b.bpp = 4;
    b.compression = 2;
    b.table = GreyTable(16);
    b.pixels = Hex("04 12 00 00 00 03 12 30 00 01");
    seeds.push_back(b.Build());
    b.bpp = 32;
    b.compression = 3;
    b.headerSize = 124;
    b.masks = {0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000};
    b.table.clear();
    b.pixels.assign(32, 0x5A);
    seeds.push_back(b.Build());
  }
  std::mt19937 random(12345);
  int refused = 0;
  for (const auto& seed : seeds) {
    for (size_t length = 0; length < seed.size(); ++length)
      refused += !RefusalOf({seed.begin(), seed.begin() + static_cast<long>(length)}).empty();
    for (int round = 0; round < 2000; ++round) {
      auto file = seed;
      for (int flips = 0; flips < 3; ++flips)
        file[random() % file.size()] = static_cast<uint8_t>(random());
      RefusalOf(file);
    }
  }
  EXPECT_GT(refused, 100);
}

TEST(BmpRead, ZeroWidthTopDownWithPartialTableIsAnEmptyImage) {
  TBmpBuilder b;
  b.width = 0;
  b.height = -5;
  b.colorsUsed = 1;
  b.table = GreyTable(1);
  TBitmap bitmap;
  ReadBmp(b.Build(), bitmap);
  EXPECT_EQ(bitmap.Width(), 0);
  EXPECT_EQ(bitmap.Height(), 5);
}

TEST(BmpRead, StreamLoadConsumesTheImageOnly) {
  TBmpBuilder b;
  b.table = GreyTable(256);
  b.pixels.assign(8, 3);
  auto file = b.Build();
  const size_t size = file.size();
  file.insert(file.end(), {1, 2, 3});
  TReadOnlyMemoryStream stream(file);
  TBitmap bitmap;
  bitmap.LoadFromStream(stream);
  EXPECT_EQ(stream.Position(), static_cast<int64_t>(size));
}

} // namespace
