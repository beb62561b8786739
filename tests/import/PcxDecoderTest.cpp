// Hand-made PCX files: header checks, runs (count 0, across scanlines), missing data, the
// palette rules, origins other than 0, and the size limits of the scanline buffers. Every
// kind of picture is also held against pcxtoppm in DifferentialTest.
#include "TestSupport.h"
#include "graphics/Streams.h"
#include "import/Progress.h"
#include "import/SPCXImg.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<uint8_t>;

struct PcxHeader {
  int bitsPerPixel = 8, planes = 1, version = 5;
  int xmin = 0, ymin = 0, width = 4, height = 2;
  int bytesPerLine = 4;
};

Bytes Build(const PcxHeader& h, const Bytes& data, const Bytes& endPalette = {}) {
  Bytes out(128, 0);
  auto put16 = [&](size_t at, int v) {
    out[at] = uint8_t(v);
    out[at + 1] = uint8_t(v >> 8);
  };
  out[0] = 10, out[1] = uint8_t(h.version), out[2] = 1, out[3] = uint8_t(h.bitsPerPixel);
  put16(4, h.xmin), put16(6, h.ymin);
  put16(8, h.xmin + h.width - 1), put16(10, h.ymin + h.height - 1);
  out[65] = uint8_t(h.planes);
  put16(66, h.bytesPerLine);
  out.insert(out.end(), data.begin(), data.end());
  if (!endPalette.empty()) {
    out.push_back(12);
    out.insert(out.end(), endPalette.begin(), endPalette.end());
  }
  return out;
}

TSPCXBitmap Load(const Bytes& bytes) {
  TReadOnlyMemoryStream stream(bytes);
  TSPCXBitmap bitmap;
  bitmap.LoadFromStream(stream);
  return bitmap;
}

std::string ErrorOf(const Bytes& bytes) {
  try {
    Load(bytes);
  } catch (const EPCXException& e) {
    return e.what();
  }
  return "no error";
}

std::vector<int> Row(const TBitmap& b, int y) {
  const uint8_t* row = b.ScanLine(y);
  return std::vector<int>(row, row + (b.Width() * b.BitsPerPixel() + 7) / 8);
}

Bytes Gradient() {
  Bytes palette(768);
  for (size_t i = 0; i < palette.size(); ++i)
    palette[i] = uint8_t(i / 3 + i % 3);
  return palette;
}

TEST(PcxDecoder, HeaderChecksGiveTheirTexts) {
  const std::string notPcx = "This is not a valid PCX image file.";
  const std::string notColour = "This is not a 16, 256 or 24bit color PCX image file.";
  const std::string wrong =
      "PCX file is in wrong format - It must be an EGA, VGA, MCGA or 24bit image.";
  const std::string tooLarge = "This PCX image is too large to read.";
  const std::string badSize =
      "This PCX image file has an invalid header: its width or height is 0 or negative.";
  Bytes valid = Build({}, Bytes(8, 1));
  auto with = [&](size_t at, uint8_t value) {
    Bytes b = valid;
    b[at] = value;
    return b;
  };
  auto header = [](auto change) {
    PcxHeader h;
    change(h);
    return Build(h, {});
  };
  struct Case {
    const char* name;
    Bytes bytes;
    std::string error;
  } cases[] = {
      {"manufacturer", with(0, 11), notPcx},
      {"encoding", with(2, 0), notPcx},
      {"shorter than the header", Bytes(valid.begin(), valid.begin() + 127), notPcx},
      {"1 plane of 3 bits", header([](PcxHeader& h) { h.bitsPerPixel = 3; }), notColour},
      {"2 planes of 8 bits", header([](PcxHeader& h) { h.planes = 2; }), wrong},
      {"5 planes of 1 bit", header([](PcxHeader& h) { h.planes = 5, h.bitsPerPixel = 1; }), wrong},
      {"2 planes of 2 bits", header([](PcxHeader& h) { h.planes = 2, h.bitsPerPixel = 2; }), wrong},
      {"width 0", header([](PcxHeader& h) { h.width = 0; }), badSize},
      {"negative height", header([](PcxHeader& h) { h.height = -5; }), badSize},
      {"256-colour scanline of 8002 bytes", header([](PcxHeader& h) { h.bytesPerLine = 8002; }),
       tooLarge},
      {"256-colour width 8002", header([](PcxHeader& h) { h.width = 8002; }), tooLarge},
      {"24-bit width 2668",
       header([](PcxHeader& h) { h.planes = 3, h.width = 2668, h.bytesPerLine = 2668; }), tooLarge},
      {"height 65536", header([](PcxHeader& h) { h.ymin = -32768, h.height = 65536; }), tooLarge},
      {"more than 2^28 pixels", header([](PcxHeader& h) {
         h.width = 8000, h.bytesPerLine = 8000, h.ymin = -30000, h.height = 40000;
       }),
       tooLarge},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ErrorOf(c.bytes), c.error) << c.name;
}

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
    PcxHeader h;
    h.width = h.bytesPerLine = c.width, h.height = c.height;
    TSPCXBitmap b = Load(Build(h, testsupport::Hex(c.data)));
    std::vector<int> pixels;
    for (int y = 0; y < c.height; ++y)
      for (int v : Row(b, y))
        pixels.push_back(v);
    const Bytes expected = testsupport::Hex(c.pixels);
    EXPECT_EQ(pixels, std::vector<int>(expected.begin(), expected.end())) << c.data;
  }
}

TEST(PcxDecoder, TheEndPaletteIsUsedWhenItsMarkerIsThereWhateverTheVersion) {
  const Bytes data = {0xC1, 1, 0xC1, 2, 3, 4, 5, 6, 7, 8};
  for (int version : {5, 3, 0}) {
    PcxHeader h;
    h.version = version;
    TSPCXBitmap b = Load(Build(h, data, Gradient()));
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf8bit);
    ASSERT_EQ(b.Palette().size(), 256u) << version;
    EXPECT_EQ(b.Palette()[2], (TRGBQuad{4, 3, 2, 0})) << version;
    EXPECT_EQ(Row(b, 1), (std::vector<int>{5, 6, 7, 8}));
  }
  // Without the marker (or room for it) the pixels are grey levels.
  Bytes withoutMarker = Build({}, data, Gradient());
  withoutMarker[withoutMarker.size() - 769] = 13;
  for (const Bytes& bytes : {withoutMarker, Build({}, data)})
    EXPECT_EQ(Load(bytes).Palette()[200], (TRGBQuad{200, 200, 200, 0}));
}

// The header palette's rules: the colours of the first two indices, by kind and content.
TEST(PcxDecoder, HeaderPaletteRules) {
  const struct {
    const char* name;
    int planes, bitsPerPixel, version;
    const char* header; // the palette's first bytes; the rest are 0
    TRGBQuad first, second;
  } cases[] = {
      {"1 bit, two colours meant", 1, 1, 5, "FF 00 00 00 00 FF", {0, 0, 255, 0}, {255, 0, 0, 0}},
      {"1 bit, leftovers of 16 colours",
       1,
       1,
       5,
       "00 00 00 A8 A8 FC 00 A8 00",
       {0, 0, 0, 0},
       {255, 255, 255, 0}},
      {"1 bit, both equal", 1, 1, 5, "", {0, 0, 0, 0}, {255, 255, 255, 0}},
      {"2 bits without a palette: CGA", 1, 2, 5, "", {0, 0, 0, 0}, {255, 255, 85, 0}},
      {"4 planes from the header", 4, 1, 2, "01 02 03 04 05 06", {3, 2, 1, 0}, {6, 5, 4, 0}},
      {"version 3 has no palette: EGA", 4, 1, 3, "01 02 03", {0, 0, 0, 0}, {170, 0, 0, 0}},
      {"a palette of zeros: EGA", 1, 4, 5, "", {0, 0, 0, 0}, {170, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    PcxHeader h;
    h.planes = c.planes, h.bitsPerPixel = c.bitsPerPixel, h.version = c.version;
    Bytes bytes = Build(h, Bytes(16, 0));
    const Bytes header = testsupport::Hex(c.header);
    std::fill(bytes.begin() + 16, bytes.begin() + 64, 0);
    std::copy(header.begin(), header.end(), bytes.begin() + 16);
    TSPCXBitmap b = Load(bytes);
    ASSERT_EQ(b.PixelFormat(), TPixelFormat::pf4bit) << c.name;
    EXPECT_EQ(b.Palette()[0], c.first) << c.name;
    EXPECT_EQ(b.Palette()[1], c.second) << c.name;
  }
}

TEST(PcxDecoder, SixteenColourPlanesAddUpToFourBitPixels) {
  // Width 9, two bytes per plane; plane p holds bit p of each pixel.
  PcxHeader h;
  h.planes = 4, h.bitsPerPixel = 1, h.width = 9, h.height = 1, h.bytesPerLine = 2;
  h.version = 2;
  Bytes data = {0x80, 0x80, 0x40, 0x00, 0x20, 0x80, 0xC1, 0xFF, 0x00};
  TSPCXBitmap b = Load(Build(h, data));
  EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf4bit);
  EXPECT_EQ(b.RowStride(), 8);
  // Pixel 0: planes 0 and 3 → 9; pixel 1: 2 + 8; pixel 2: 4 + 8; pixels 3-7: 8; pixel 8: 1 + 4.
  EXPECT_EQ(Row(b, 0), (std::vector<int>{0x9A, 0xC8, 0x88, 0x88, 0x50}));
}

TEST(PcxDecoder, TheTopScanlineIsTheTopRowAndEachRowReportsProgress) {
  PcxHeader h;
  h.xmin = -3, h.ymin = 10, h.height = 3;
  int rows = 0;
  SetDecoderProgress([&] { ++rows; });
  TSPCXBitmap b = Load(Build(h, {1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3}));
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
