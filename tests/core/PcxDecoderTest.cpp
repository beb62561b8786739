// Hand-made PCX files: the palette rules, origins other than 0. Every kind of picture is also
// held against pcxtoppm, and runs (count 0, across scanlines), missing data and the header
// checks with their texts are rows, in the corpus manifest (regressions/pcx, references/pcx).
#include "HandMade.h"
#include "TestSupport.h"
#include "formats/Progress.h"
#include "formats/SPCXImg.h"
#include "io/Streams.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<uint8_t>;
using testsupport::PcxFile;
using testsupport::PcxHeader;

// The palette by kind and content: a 256-colour palette after the data wherever its marker
// stands, whatever the version, else grey levels; the header's first colours; or a standard
// palette. The first two entries are compared.
TEST(PcxDecoder, PaletteRules) {
  // Two colours meant, and the reserved byte after the header palette set: not a leftover.
  std::string reservedSet = "FF 00 00 00 00 FF";
  for (int i = 6; i < 48; ++i)
    reservedSet += " 00";
  reservedSet += " 01";
  const struct {
    const char* name;
    int planes, bitsPerPixel, version;
    const char* header; // the header palette's first bytes; the rest are 0
    int marker;         // a palette after the data behind this marker, or none
    TRGBQuad first, second;
  } cases[] = {
      {"end palette, any version", 1, 8, 0, "", 12, {2, 1, 0}, {3, 2, 1}},
      {"end palette without its marker: grey", 1, 8, 5, "", 13, {0, 0, 0}, {1, 1, 1}},
      {"no room for an end palette: grey", 1, 8, 5, "", 0, {0, 0, 0}, {1, 1, 1}},
      {"1 bit, two colours meant", 1, 1, 5, "FF 00 00 00 00 FF", 0, {0, 0, 255}, {255, 0, 0}},
      {"1 bit, reserved byte set", 1, 1, 5, reservedSet.c_str(), 0, {0, 0, 255}, {255, 0, 0}},
      {"1 bit, EGA leftovers", 1, 1, 5, "00 00 00 A8 A8 FC 00 A8", 0, {0, 0, 0}, {255, 255, 255}},
      {"1 bit, both equal", 1, 1, 5, "", 0, {0, 0, 0}, {255, 255, 255}},
      {"2 bits without a palette: CGA", 1, 2, 5, "", 0, {0, 0, 0}, {255, 255, 85}},
      {"4 planes from the header", 4, 1, 2, "01 02 03 04 05 06", 0, {3, 2, 1}, {6, 5, 4}},
      {"version 3 has no palette: EGA", 4, 1, 3, "01 02 03", 0, {0, 0, 0}, {170, 0, 0}},
      {"a palette of zeros: EGA", 1, 4, 5, "", 0, {0, 0, 0}, {170, 0, 0}},
  };
  for (const auto& c : cases) {
    const PcxHeader h = {c.bitsPerPixel, c.planes, c.version};
    Bytes end(c.marker ? 769 : 0, uint8_t(c.marker));
    for (size_t i = 1; i < end.size(); ++i)
      end[i] = uint8_t((i - 1) / 3 + (i - 1) % 3);
    Bytes bytes = PcxFile(h, Bytes(16, 0));
    bytes.insert(bytes.end(), end.begin(), end.end());
    const Bytes header = testsupport::Hex(c.header);
    std::copy(header.begin(), header.end(), bytes.begin() + 16);
    TSPCXBitmap b = testsupport::Loaded<TSPCXBitmap>(bytes);
    ASSERT_GE(b.Palette().size(), 2u) << c.name;
    EXPECT_EQ(b.Palette()[0], c.first) << c.name;
    EXPECT_EQ(b.Palette()[1], c.second) << c.name;
  }
}

// The header checks, each with its kind's text, and the values just inside each limit, which
// load, are rows of the corpus manifest (tests/data/regressions/pcx): a short header, another
// maker or encoding, unsupported depths and planes, sizes of 0 and every size just beyond its
// limit. Each refusal is an EPCXException.
TEST(PcxDecoder, KeptRefusalsArePcxExceptions) {
  const std::vector<std::string> files = testsupport::KeptFiles("pcx", "! ");
  EXPECT_GE(files.size(), 16u);
  for (const std::string& file : files)
    EXPECT_THROW(testsupport::Loaded<TSPCXBitmap>(testsupport::ReadFile(file)), EPCXException)
        << file;
}

TEST(PcxDecoder, TheTopScanlineIsTheTopRowAndEachRowReportsProgress) {
  const PcxHeader h = {.xmin = -3, .ymin = 10, .height = 3};
  int rows = 0;
  SetDecoderProgress([&] { ++rows; });
  TSPCXBitmap b =
      testsupport::Loaded<TSPCXBitmap>(PcxFile(h, {1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3}));
  SetDecoderProgress(nullptr);
  EXPECT_EQ(rows, 3);
  EXPECT_EQ(b.Height(), 3);
  EXPECT_EQ(b.ScanLine(0)[0], 1);
  EXPECT_EQ(b.ScanLine(2)[0], 3);
  // A failed load leaves the picture as it was.
  TReadOnlyMemoryStream bad(Bytes(10, 0));
  EXPECT_THROW(b.LoadFromStream(bad), EPCXException);
  EXPECT_EQ(b.ScanLine(2)[0], 3);
}

} // namespace
