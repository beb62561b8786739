// Hand-made BMP files: the variants no tool at hand writes (RLE4, deltas, top-down, partial
// tables, odd masks) and hostile ones, which must be refused with EInvalidGraphic before any
// large allocation. Most are kept files with rows in the corpus manifest.
#include "HandMade.h"
#include "TestSupport.h"
#include "bmp/Bitmap.h"
#include "io/Exceptions.h"
#include "io/Limits.h"

#include <gtest/gtest.h>

#include <sstream>

using testsupport::Hex;

namespace {

std::vector<uint8_t> GreyTable(int entries) {
  std::vector<uint8_t> table(size_t(entries) * 4);
  for (size_t i = 0; i < table.size(); ++i)
    table[i] = i % 4 == 3 ? 0 : uint8_t(i / 4 * 16);
  return table;
}

// A paletted image with `entries` grey table entries, `declared` of them named in the header.
std::vector<uint8_t> Indexed(int bpp, int width, int height, uint32_t declared, int entries,
                             const std::vector<uint8_t>& pixels) {
  std::vector<uint8_t> dib = testsupport::Dib(
      {.bpp = uint16_t(bpp), .colorsUsed = declared, .width = width, .height = height, .after = 0},
      GreyTable(entries));
  const auto offset = uint32_t(14 + dib.size());
  dib.insert(dib.end(), pixels.begin(), pixels.end());
  return testsupport::BmpFile(dib, offset);
}

// The pictures the manifest compares with their references (RLE runs, literals, deltas and
// ends; bit-field channels scaled, alpha kept or not) are kept files
// (tests/data/regressions/bmp_reader, references/bmp); the reader consumes each whole.
TEST(BmpRead, KeptPicturesAreConsumedWhole) {
  const std::vector<std::string> files = testsupport::KeptFiles("bmp", "= ");
  EXPECT_GE(files.size(), 21u);
  for (const std::string& file : files) {
    const std::vector<uint8_t> bytes = testsupport::ReadFile(file);
    TBitmap bitmap;
    size_t consumed = 0;
    ReadBmp(bytes, bitmap, &consumed);
    EXPECT_EQ(consumed, bytes.size()) << file;
  }
}

// The refusals, each with its text, are rows of the corpus manifest
// (tests/data/regressions/bmp_reader); the reader itself raises EInvalidGraphic for every one.
TEST(BmpRefusal, KeptFilesAreInvalidGraphics) {
  const std::vector<std::string> files = testsupport::KeptFiles("bmp", "! ");
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
      {Indexed(8, 3, 1, 3, 3, {2, 1, 0, 0xEE}), "3x1 8 bits 3 colours 2 1 0 0 : 202020 0"},
      // A set padding nibble after the last pixel is no colour index.
      {Indexed(4, 3, 1, 2, 2, {0x01, 0x0F, 0, 0}), "3x1 4 bits 2 colours 1 0 0 0 : 0 0"},
      // 256 entries declared, only 2 present before the pixels: the missing ones are dropped.
      {Indexed(8, 4, 1, 0, 2, {0, 1, 1, 0}), "4x1 8 bits 2 colours 0 1 1 0 : 0 0"},
      // Zero width, top-down, one entry: an empty image of the declared height.
      {Indexed(8, 0, -5, 1, 1, {}), "0x5 8 bits 1 colours"},
      // 12-byte core header, 2 × 1 pixels, 1 bit, two 3-byte entries.
      {Hex("42 4D 24 00 00 00 00 00 00 00 20 00 00 00 0C 00 00 00 02 00 01 00 01 00 01 00 "
           "10 20 30 F0 E0 D0 40 00 00 00"),
       "2x1 1 bits 2 colours 40 0 0 0 : 102030 f0e0d0"},
  };
  for (const auto& [file, summary] : cases)
    EXPECT_EQ(Summary(file), summary);
}

} // namespace
