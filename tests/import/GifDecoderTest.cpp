// Hand-made GIF byte sequences for what no encoder writes: broken LZW data, odd code sizes,
// short images, more rows than the height, interlace of small heights.
#include "TestSupport.h"
#include "graphics/Streams.h"
#include "import/Progress.h"
#include "import/SGIFImg.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<uint8_t>;

// The codes of one LZW stream, packed least-significant bit first at the widths a decoder
// expects: every code after the first since a clear defines an entry, and the width grows
// when the next free entry reaches 2^width.
Bytes PackCodes(int minCodeSize, const std::vector<int>& codes) {
  const int clear = 1 << minCodeSize;
  int freeCode = clear + 2, size = minCodeSize + 1, bits = 0;
  bool first = true;
  uint32_t buffer = 0;
  Bytes out;
  for (int code : codes) {
    buffer |= uint32_t(code) << bits;
    for (bits += size; bits >= 8; bits -= 8, buffer >>= 8)
      out.push_back(uint8_t(buffer));
    if (code == clear) {
      freeCode = clear + 2, size = minCodeSize + 1, first = true;
      continue;
    }
    if (!first && freeCode < 4096 && ++freeCode >= (1 << size) && size < 12) ++size;
    first = false;
  }
  if (bits > 0) out.push_back(uint8_t(buffer));
  return out;
}

// Data sub-blocks of at most `blockSize` bytes, with the terminator.
Bytes SubBlocks(const Bytes& data, size_t blockSize = 255) {
  Bytes out;
  for (size_t at = 0; at < data.size(); at += blockSize) {
    size_t n = std::min(blockSize, data.size() - at);
    out.push_back(uint8_t(n));
    out.insert(out.end(), data.begin() + long(at), data.begin() + long(at + n));
  }
  out.push_back(0);
  return out;
}

struct GifParts {
  int width = 2, height = 2;
  Bytes globalTable = testsupport::Hex("00 00 00 FF 00 00 00 FF 00 00 00 FF"); // 4 entries
  Bytes blocksBefore; // extensions and other blocks before the image descriptor
  uint8_t descriptorFlags = 0;
  Bytes localTable;
  Bytes imageData; // minimum code size and sub-blocks
};

uint8_t TableFlag(const Bytes& table) {
  int n = 0;
  while ((3 << (n + 1)) < int(table.size()))
    ++n;
  return uint8_t(0x80 | n);
}

Bytes Build(const GifParts& p) {
  auto u16 = [](int v) { return Bytes{uint8_t(v), uint8_t(v >> 8)}; };
  auto append = [](Bytes& to, const Bytes& what) { to.insert(to.end(), what.begin(), what.end()); };
  Bytes out = {'G', 'I', 'F', '8', '9', 'a'};
  append(out, u16(p.width)), append(out, u16(p.height));
  append(out, {uint8_t(p.globalTable.empty() ? 0 : TableFlag(p.globalTable)), 0, 0});
  append(out, p.globalTable), append(out, p.blocksBefore);
  append(out, {0x2C, 0, 0, 0, 0}), append(out, u16(p.width)), append(out, u16(p.height));
  out.push_back(p.descriptorFlags | (p.localTable.empty() ? 0 : TableFlag(p.localTable)));
  append(out, p.localTable), append(out, p.imageData);
  out.push_back(0x3B);
  return out;
}

Bytes Image(int minCodeSize, const std::vector<int>& codes) {
  Bytes out = {uint8_t(minCodeSize)};
  Bytes blocks = SubBlocks(PackCodes(minCodeSize, codes));
  out.insert(out.end(), blocks.begin(), blocks.end());
  return out;
}

TSGIFBitmap Load(const Bytes& bytes) {
  TReadOnlyMemoryStream stream(bytes);
  TSGIFBitmap bitmap;
  bitmap.LoadFromStream(stream);
  return bitmap;
}

std::string ErrorOf(const Bytes& bytes) {
  try {
    Load(bytes);
  } catch (const EGIFException& e) {
    return e.what();
  }
  return "no error";
}

// Palette indices of the bitmap, row by row from the top.
std::vector<int> Indices(const TBitmap& b) {
  std::vector<int> out;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      out.push_back(b.ScanLine(y)[x]);
  return out;
}

GifParts WithData(Bytes data, int width = 2, int height = 2) {
  GifParts p;
  p.width = width, p.height = height, p.imageData = std::move(data);
  return p;
}

TEST(GifDecoder, FailuresGiveTheTextOfTheirCode) {
  const GifParts valid = WithData(Image(2, {4, 0, 1, 2, 3, 5}));
  const Bytes validBytes = Build(valid);
  const size_t dataAt = validBytes.size() - valid.imageData.size() - 1;
  auto cut = [&](size_t n) { return Bytes(validBytes.begin(), validBytes.begin() + long(n)); };
  auto with = [&](auto change) {
    GifParts p = valid;
    change(p);
    Bytes b = Build(p);
    return b;
  };
  Bytes notGif = validBytes, truncatedBlock = validBytes;
  notGif[0] = 'J';
  truncatedBlock[dataAt + 1] = 60; // sub-block size beyond the data
  Bytes shortLocalTable = with([](GifParts& p) { p.localTable = Bytes(12, 1); });
  shortLocalTable.resize(40);
  const struct {
    const char* name;
    Bytes bytes;
    const char* error;
  } cases[] = {
      {"shorter than the header", cut(12), "Bad File"},
      {"not GIF", notGif, "Bad File"},
      {"trailer before any image", with([](GifParts& p) { p.blocksBefore = {0x3B}; }), "Bad File"},
      {"unknown introducer", with([](GifParts& p) { p.blocksBefore = {0x99}; }), "Bad File"},
      {"no image descriptor", cut(25), "Bad File"},
      {"descriptor at the end of the file", cut(dataAt), "Bad File"},
      {"short global table", cut(20), "Bad Read"},
      {"short descriptor", cut(30), "Bad Read"},
      {"short local table", shortLocalTable, "Bad Read"},
      {"width 0", Build(WithData(valid.imageData, 0, 2)), "Bad File"},
      {"width above 8001", Build(WithData(valid.imageData, 8002, 1)), "Bad File"},
      {"negative height", Build(WithData(valid.imageData, 2, 0x8000)), "Bad File"},
      {"minimum code size 1", Build(WithData(Image(1, {2, 0, 1, 1, 0, 3}))), "Bad Symbol Size"},
      {"minimum code size 9", Build(WithData(Image(9, {512, 0, 1, 2, 3, 513}))), "Bad Symbol Size"},
      {"zero-length sub-block before the end code", Build(WithData({2, 0, 0})), "Unexpected End"},
      {"data ends inside a sub-block", truncatedBlock, "Unexpected End"},
      {"no end code", Build(WithData(Image(2, {4, 0, 1, 2, 3}))), "Unexpected End"},
      {"first code equals the free code", Build(WithData(Image(2, {4, 6, 5}))), "Bad First Code"},
      {"first code after a later clear", Build(WithData(Image(2, {4, 0, 1, 4, 6, 5}))),
       "Bad First Code"},
      {"code above the free code", Build(WithData(Image(2, {4, 0, 1, 2, 9, 5}))), "Bad LZW Code"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ErrorOf(c.bytes), c.error) << c.name;
}

TEST(GifDecoder, DecodesStringsTheTableBuildsIncludingTheCodeBeingDefined) {
  // 0, 1, 6 = "0 1", 8 = the entry being defined ("0 1" + "0"), 4 colours.
  TSGIFBitmap b = Load(Build(WithData(Image(2, {4, 0, 1, 6, 8, 5}), 7, 1)));
  EXPECT_EQ(Indices(b), (std::vector<int>{0, 1, 0, 1, 0, 1, 0}));
  EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf8bit);
  ASSERT_EQ(b.Palette().size(), 256u);
  EXPECT_EQ(b.Palette()[1], (TRGBQuad{0, 0, 0xFF, 0}));
  EXPECT_EQ(b.Palette()[3], (TRGBQuad{0xFF, 0, 0, 0}));
  EXPECT_EQ(b.Palette()[4], (TRGBQuad{})); // beyond the table: black
}

TEST(GifDecoder, AFullTableStaysAtTwelveBitsUntilTheNextClear) {
  // 4095 − 5 literal codes fill the table (entries 6..4095); further codes stay 12 bits
  // wide and define nothing, then a clear starts again at 3 bits.
  std::vector<int> codes = {4};
  for (int i = 0; i < 4090 + 10; ++i)
    codes.push_back(i % 4);
  codes.insert(codes.end(), {4, 3, 2, 5});
  int pixels = 4100 + 2;
  TSGIFBitmap b = Load(Build(WithData(Image(2, codes), pixels, 1)));
  std::vector<int> got = Indices(b);
  ASSERT_EQ(got.size(), size_t(pixels));
  for (int i = 0; i < 4100; ++i)
    ASSERT_EQ(got[size_t(i)], i % 4) << i;
  EXPECT_EQ(got[4100], 3);
  EXPECT_EQ(got[4101], 2);
}

TEST(GifDecoder, RowsTheDataNeverCompletesArePaletteIndexZero) {
  // 3 × 3 image, data for four pixels: row 0 whole, row 1 partial, row 2 missing.
  TSGIFBitmap b = Load(Build(WithData(Image(2, {4, 1, 2, 3, 1, 5}), 3, 3)));
  EXPECT_EQ(Indices(b), (std::vector<int>{1, 2, 3, 0, 0, 0, 0, 0, 0}));
  // An end code followed by the terminator, with no pixels at all, is a success.
  EXPECT_EQ(Indices(Load(Build(WithData(Image(2, {4, 5}), 2, 1)))), (std::vector<int>{0, 0}));
}

TEST(GifDecoder, RowsBeyondTheHeightAreLeftOut) {
  TSGIFBitmap b = Load(Build(WithData(Image(2, {4, 1, 2, 3, 1, 2, 3, 3, 3, 5}), 2, 2)));
  EXPECT_EQ(Indices(b), (std::vector<int>{1, 2, 3, 1}));
}

TEST(GifDecoder, InterlacedRowsLandInPassOrder) {
  struct Case {
    int height;
    std::vector<int> rowOrder; // the data's n-th row is image row rowOrder[n]
  } cases[] = {
      {1, {0}}, {3, {0, 2, 1}}, {5, {0, 4, 2, 1, 3}}, {10, {0, 8, 4, 2, 6, 1, 3, 5, 7, 9}}};
  for (const Case& c : cases) {
    std::vector<int> codes = {4};
    for (int n = 0; n < c.height; ++n)
      codes.push_back(n % 4);
    codes.push_back(5);
    GifParts p = WithData(Image(2, codes), 1, c.height);
    p.descriptorFlags = 0x40;
    std::vector<int> expected(size_t(c.height));
    for (int n = 0; n < c.height; ++n)
      expected[size_t(c.rowOrder[size_t(n)])] = n % 4;
    EXPECT_EQ(Indices(Load(Build(p))), expected) << "height " << c.height;
  }
}

TEST(GifDecoder, ExtensionsArePassedOverWhole) {
  GifParts p = WithData(Image(2, {4, 3, 2, 1, 0, 5}));
  Bytes comment = {0x21, 0xFE, 3, 'a', 'b', 'c', 2, 0x2C, 0x3B, 0}; // introducers inside
  Bytes control = {0x21, 0xF9, 4, 1, 0, 0, 2, 0};
  Bytes application = {0x21, 0xFF, 11,  'N', 'E', 'T', 'S', 'C', 'A', 'P',
                       'E',  '2',  '.', '0', 3,   1,   0,   0,   0};
  Bytes plainText = {0x21, 0x01, 12, 0, 0, 0, 0, 8, 0, 8, 0, 8, 8, 1, 0, 2, 'h', 'i', 0};
  Bytes unknown = {0x21, 0x42, 1, 0x2C, 0, 0x00};
  for (const Bytes* block : {&comment, &control, &application, &plainText, &unknown})
    p.blocksBefore.insert(p.blocksBefore.end(), block->begin(), block->end());
  Bytes bytes = Build(p);
  bytes[3] = 'x'; // version bytes are not checked
  EXPECT_EQ(Indices(Load(bytes)), (std::vector<int>{3, 2, 1, 0}));
}

TEST(GifDecoder, ALocalTableReplacesTheWholeGlobalOne) {
  GifParts p = WithData(Image(2, {4, 0, 1, 2, 3, 5}));
  p.localTable = testsupport::Hex("10 20 30 40 50 60"); // 2 entries
  TSGIFBitmap b = Load(Build(p));
  EXPECT_EQ(b.Palette()[0], (TRGBQuad{0x30, 0x20, 0x10, 0}));
  EXPECT_EQ(b.Palette()[1], (TRGBQuad{0x60, 0x50, 0x40, 0}));
  EXPECT_EQ(b.Palette()[2], (TRGBQuad{})); // the global table's entry is gone

  p.localTable.clear();
  p.globalTable.clear();
  TSGIFBitmap none = Load(Build(p));
  EXPECT_EQ(none.Palette(), std::vector<TRGBQuad>(256));
}

TEST(GifDecoder, AFailedLoadKeepsThePictureAndEveryRowReportsProgress) {
  int rows = 0;
  SetDecoderProgress([&] { ++rows; });
  TSGIFBitmap b = Load(Build(WithData(Image(2, {4, 1, 2, 3, 1, 5}), 2, 2)));
  SetDecoderProgress(nullptr);
  EXPECT_EQ(rows, 2);
  Bytes bad = Build(WithData(Image(2, {4, 0, 7, 5}), 5, 5));
  TReadOnlyMemoryStream stream(bad);
  EXPECT_THROW(b.LoadFromStream(stream), EGIFException);
  EXPECT_EQ(b.Width(), 2);
  EXPECT_EQ(Indices(b), (std::vector<int>{1, 2, 3, 1}));
}

} // namespace
