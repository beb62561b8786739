// Hand-made PCX files: runs (count 0, across scanlines), missing data, the palette rules,
// origins other than 0. Every kind of picture is also held against pcxtoppm, and the header
// checks with their texts are rows, in the corpus manifest.
#include "HandMade.h"
#include "TestSupport.h"
#include "formats/Progress.h"
#include "formats/SPCXImg.h"
#include "io/Streams.h"

#include <gtest/gtest.h>
#include <optional>

namespace {

using Bytes = std::vector<uint8_t>;
using testsupport::PcxFile;
using testsupport::PcxHeader;

TEST(PcxDecoder, RunsAndMissingData) {
  const struct {
    int width, height;
    const char *data, *pixels; // hex bytes; the pixels' rows from the top, one after the other
  } cases[] = {
      // Literal 1, a run of count 0 that stores nothing, a run of 5 × 7 that puts two bytes
      // into row 1; a byte above 0xBF needs a run of its own.
      {4, 3, "01 C0 55 C5 07 02 03 C4 C5", "01 07 07 07 07 07 02 03 C5 C5 C5 C5"},
      {2, 4, "C7 09 04", "09 09 09 09 09 09 09 04"}, // a run carries on over several rows
      {4, 3, "05 06 07 08 09 C3", "05 06 07 08 09 00 00 00 00 00 00 00"}, // missing data is 0
  };
  for (const auto& c : cases) {
    const PcxHeader h = {.width = c.width, .height = c.height, .bytesPerLine = c.width};
    TSPCXBitmap b = testsupport::Loaded<TSPCXBitmap>(PcxFile(h, testsupport::Hex(c.data)));
    Bytes pixels;
    for (int y = 0; y < c.height; ++y)
      pixels.insert(pixels.end(), b.ScanLine(y), b.ScanLine(y) + c.width);
    EXPECT_EQ(pixels, testsupport::Hex(c.pixels)) << c.data;
  }
}

// The palette by kind and content: a 256-colour palette after the data wherever its marker
// stands, whatever the version, else grey levels; the header's first colours; or a standard
// palette. The first two entries are compared.
TEST(PcxDecoder, PaletteRules) {
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

// Each header check raises its own kind, and the values just inside each limit load. The
// refusals of a short header, another maker or encoding, 3 bits, 2 planes of 8 bits, 5 planes,
// width 0, and of every size just beyond its limit are rows of the corpus manifest
// (tests/data/regressions/pcx).
TEST(PcxDecoder, HeaderChecksRaiseTheirKinds) {
  using enum TPCXError;
  const struct {
    const char* name;
    PcxHeader header;
    std::optional<TPCXError> kind; // none: the picture loads
  } cases[] = {
      {"one plane of 16 bits", {.bitsPerPixel = 16}, UnsupportedDepth},
      {"four planes of 1 bit", {.bitsPerPixel = 1, .planes = 4}, std::nullopt},
      {"four planes of 8 bits", {.bitsPerPixel = 8, .planes = 4}, std::nullopt},
      {"height 0", {.height = 0}, BadSize},
      {"width 1, xmin negative", {.xmin = -5, .width = 1}, std::nullopt},
      {"scanlines of 8001 bytes", {.width = 8001, .height = 1, .bytesPerLine = 8001}, std::nullopt},
      {"24-bit rows of 8001 bytes", {.planes = 3, .width = 2667, .height = 1}, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      testsupport::Loaded<TSPCXBitmap>(PcxFile(c.header, Bytes(4, 0)));
      EXPECT_FALSE(c.kind.has_value()) << "loaded";
    } catch (const EPCXException& e) {
      ASSERT_TRUE(c.kind.has_value()) << e.what();
      EXPECT_STREQ(e.what(), PCXErrorText(*c.kind));
    }
  }
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
