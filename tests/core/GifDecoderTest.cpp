// Hand-made GIF byte sequences for the palettes and a failed load. The pixels no encoder writes
// so (a code for the entry being defined, data short of the picture or beyond it, interlace of
// small heights, extensions holding introducer bytes) and broken files with their texts are
// rows of the corpus manifest (tests/data/regressions/gif, references/gif).
#include "HandMade.h"
#include "TestSupport.h"
#include "formats/Progress.h"
#include "formats/SGIFImg.h"
#include "io/Streams.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<uint8_t>;
using testsupport::GifFile;
using testsupport::GifParts;

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

// The minimum code size and the codes in one sub-block (all are shorter than 255 bytes).
Bytes Image(int minCodeSize, const std::vector<int>& codes) {
  Bytes data = PackCodes(minCodeSize, codes);
  data.insert(data.begin(), {uint8_t(minCodeSize), uint8_t(data.size())});
  data.push_back(0);
  return data;
}

// Palette indices of the bitmap, row by row from the top.
std::vector<int> Indices(const TBitmap& b) {
  std::vector<int> out;
  for (int y = 0; y < b.Height(); ++y)
    out.insert(out.end(), b.ScanLine(y), b.ScanLine(y) + b.Width());
  return out;
}

// Entries beyond the table read are black; a local table replaces the whole global one.
TEST(GifDecoder, Palettes) {
  GifParts p = {Image(2, {4, 0, 1, 2, 3, 5})};
  const TSGIFBitmap global = testsupport::Loaded<TSGIFBitmap>(GifFile(p));
  EXPECT_EQ(global.Palette()[1], (TRGBQuad{0, 0, 0xFF, 0}));
  EXPECT_EQ(global.Palette()[4], (TRGBQuad{}));
  p.localTable = testsupport::Hex("10 20 30 40 50 60"); // 2 entries
  const TSGIFBitmap local = testsupport::Loaded<TSGIFBitmap>(GifFile(p));
  EXPECT_EQ(local.Palette()[1], (TRGBQuad{0x60, 0x50, 0x40, 0}));
  EXPECT_EQ(local.Palette()[2], (TRGBQuad{}));
  p.localTable.clear(), p.globalTable.clear();
  EXPECT_EQ(testsupport::Loaded<TSGIFBitmap>(GifFile(p)).Palette(), std::vector<TRGBQuad>(256));
}

TEST(GifDecoder, AFailedLoadKeepsThePictureAndEveryRowReportsProgress) {
  int rows = 0;
  SetDecoderProgress([&] { ++rows; });
  TSGIFBitmap b = testsupport::Loaded<TSGIFBitmap>(GifFile({Image(2, {4, 1, 2, 3, 1, 5})}));
  SetDecoderProgress(nullptr);
  EXPECT_EQ(rows, 2);
  Bytes bad = GifFile({Image(2, {4, 0, 7, 5}), 5, 5});
  TReadOnlyMemoryStream stream(bad);
  EXPECT_THROW(b.LoadFromStream(stream), EGIFException);
  EXPECT_EQ(b.Width(), 2);
  EXPECT_EQ(Indices(b), (std::vector<int>{1, 2, 3, 1}));
}

} // namespace
