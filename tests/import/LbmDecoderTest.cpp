#include "TestSupport.h"
#include "graphics/Streams.h"
#include "import/SLBMImg.h"

#include <gtest/gtest.h>

// LBM files built here: the IFF container, planar and chunky bodies, and a ByteRun1 packer
// that packs a whole body as one stream, so runs cross rows freely.
namespace {
struct LbmFile {
  std::string formType = "ILBM";
  uint16_t width = 0, height = 0;
  uint8_t planes = 8, masking = 0, compression = 0;
  std::vector<std::pair<std::string, std::vector<uint8_t>>> chunks; // after BMHD, in order

  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> out;
    auto tag = [&](const std::string& id) { out.insert(out.end(), id.begin(), id.begin() + 4); };
    auto u32 = [&](uint32_t v) {
      for (int s = 24; s >= 0; s -= 8)
        out.push_back(static_cast<uint8_t>(v >> s));
    };
    auto u16 = [&](uint16_t v) {
      out.push_back(static_cast<uint8_t>(v >> 8));
      out.push_back(static_cast<uint8_t>(v));
    };
    tag("FORM");
    u32(0); // the form size: not read
    tag(formType);
    tag("BMHD");
    u32(20);
    u16(width), u16(height), u32(0);
    out.insert(out.end(), {planes, masking, compression, 0});
    u16(0), out.push_back(1), out.push_back(1), u16(width), u16(height);
    for (const auto& [id, data] : chunks) {
      tag(id);
      u32(static_cast<uint32_t>(data.size()));
      out.insert(out.end(), data.begin(), data.end());
      if (data.size() % 2) out.push_back(0);
    }
    return out;
  }
};

// ILBM body: per row each plane's bits, rows of 2 × ⌈w / 16⌉ bytes; with a mask plane after
// the colour planes (all bits set).
std::vector<uint8_t> PlanarBody(const std::vector<uint8_t>& indices, int width, int height,
                                int planes, bool maskPlane = false) {
  size_t rowBytes = 2 * ((width + 15) / 16);
  std::vector<uint8_t> body;
  for (int y = 0; y < height; ++y) {
    for (int p = 0; p < planes + (maskPlane ? 1 : 0); ++p) {
      std::vector<uint8_t> plane(rowBytes, p == planes ? 0xFF : 0);
      for (int x = 0; x < width && p < planes; ++x)
        if (indices[y * width + x] >> p & 1) plane[x / 8] |= 0x80 >> (x % 8);
      body.insert(body.end(), plane.begin(), plane.end());
    }
  }
  return body;
}

// ByteRun1 over the whole stream: runs, and one-byte literals (the encoders of
// DifferentialTest write longer ones). `noOpEvery` > 0 puts a 128 control byte before every
// n-th packet.
std::vector<uint8_t> ByteRun1(const std::vector<uint8_t>& data, int noOpEvery = 0) {
  std::vector<uint8_t> out;
  int packets = 0;
  for (size_t i = 0, run; i < data.size(); i += run) {
    if (noOpEvery > 0 && ++packets % noOpEvery == 0) out.push_back(128);
    for (run = 1; i + run < data.size() && run < 128 && data[i + run] == data[i];)
      ++run;
    out.insert(out.end(), {uint8_t(run >= 2 ? 257 - run : 0), data[i]});
  }
  return out;
}

// Palette index of a 4- or 8-bit bitmap's pixel.
int IndexAt(const TBitmap& bitmap, int x, int y) {
  const uint8_t* row = bitmap.ScanLine(y);
  if (bitmap.BitsPerPixel() == 8) return row[x];
  return x % 2 ? row[x / 2] & 0x0F : row[x / 2] >> 4;
}

// A deterministic picture of `colors` values with runs of equal pixels and noise.
std::vector<uint8_t> Indices(int width, int height, int colors, uint32_t seed = 1) {
  std::vector<uint8_t> out(static_cast<size_t>(width) * height);
  for (size_t i = 0; i < out.size(); ++i) {
    seed = seed * 1103515245 + 12345;
    bool noise = (seed >> 16) % 4 == 0;
    out[i] = static_cast<uint8_t>((noise ? seed >> 20 : i / 7 + i / width) % colors);
  }
  return out;
}

TSLBMImage Decode(const std::vector<uint8_t>& bytes) {
  TReadOnlyMemoryStream stream(bytes);
  TSLBMImage image;
  image.LoadFromStream(stream);
  return image;
}

std::vector<uint8_t> Cmap(int colors) {
  std::vector<uint8_t> map;
  for (int i = 0; i < colors; ++i)
    map.insert(map.end(), {uint8_t(i * 7), uint8_t(255 - i), uint8_t(i * 13)});
  return map;
}

// A ByteRun1-compressed ILBM file with a colour map.
std::vector<uint8_t> Ilbm(int width, int height, int planes, int colors,
                          const std::vector<uint8_t>& packedBody) {
  LbmFile file{"ILBM", uint16_t(width), uint16_t(height), uint8_t(planes), 0, 1, {}};
  file.chunks = {{"CMAP", Cmap(colors)}, {"BODY", packedBody}};
  return file.Bytes();
}

void ExpectIndices(const TBitmap& bitmap, const std::vector<uint8_t>& indices, int width,
                   int height) {
  ASSERT_EQ(bitmap.Width(), width);
  ASSERT_EQ(bitmap.Height(), height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      ASSERT_EQ(IndexAt(bitmap, x, y), indices[y * width + x]) << "at " << x << "," << y;
}

// Hand-made ILBM and PBM files of every body kind (HAM, deep and plain files of an
// independent encoder are in DifferentialTest), decoded to the indices they were built
// from (a PBM form type may end in any character). The compressed bodies are packed as one
// stream, so runs cross rows and (for the larger pictures) the 8192-byte blocks; some carry
// 128 no-op control bytes.
struct BodyCase {
  const char* name;
  bool pbm;
  int width, height, planes, colors;
  bool compressed, maskPlane;
  int noOpEvery;
  int expectedBits;
};

class LbmBody : public testing::TestWithParam<BodyCase> {};

TEST_P(LbmBody, DecodesToTheIndicesItWasBuiltFrom) {
  const BodyCase& c = GetParam();
  auto indices = Indices(c.width, c.height, c.colors);
  std::vector<uint8_t> body;
  if (c.pbm) {
    for (int y = 0; y < c.height; ++y) {
      body.insert(body.end(), indices.begin() + y * c.width, indices.begin() + (y + 1) * c.width);
      if (c.width % 2) body.push_back(0xEE);
    }
  } else {
    body = PlanarBody(indices, c.width, c.height, c.planes, c.maskPlane);
  }
  LbmFile file{c.pbm ? (c.width % 2 ? "PBMx" : "PBM ") : "ILBM",
               uint16_t(c.width),
               uint16_t(c.height),
               uint8_t(c.planes),
               uint8_t(c.maskPlane ? 1 : 0),
               uint8_t(c.compressed ? 1 : 0),
               {}};
  file.chunks = {{"CMAP", Cmap(c.colors)},
                 {"BODY", c.compressed ? ByteRun1(body, c.noOpEvery) : body}};
  TSLBMImage image = Decode(file.Bytes());
  EXPECT_EQ(image.BitsPerPixel(), c.expectedBits);
  size_t reach = size_t{1} << (c.pbm ? c.expectedBits : c.planes);
  ASSERT_EQ(image.Palette().size(), std::max(reach, size_t(c.colors)));
  EXPECT_EQ(image.Palette()[1], (TRGBQuad{13, 254, 7, 0}));
  ExpectIndices(image, indices, c.width, c.height);
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, LbmBody,
    testing::Values(BodyCase{"PbmByteRun1", true, 301, 97, 8, 256, true, false, 3, 8},
                    BodyCase{"PbmSixteenColours", true, 5, 3, 8, 16, true, false, 0, 4},
                    BodyCase{"IlbmPacked8Large", false, 640, 100, 8, 256, true, false, 5, 8},
                    BodyCase{"IlbmFivePlanes16Colours", false, 33, 4, 5, 16, true, false, 0, 8},
                    BodyCase{"IlbmMaskPacked", false, 100, 30, 6, 64, true, true, 4, 8}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(LbmDecoder, FourBitRowsOfWidthNineAreEightBytes) {
  auto indices = Indices(9, 2, 16);
  auto bytes = Ilbm(9, 2, 4, 16, ByteRun1(PlanarBody(indices, 9, 2, 4)));
  TSLBM decoder;
  TReadOnlyMemoryStream stream(bytes);
  decoder.LoadLBM(stream);
  auto bmp = decoder.Output().Bytes();
  ASSERT_EQ(bmp.size(), 54u + 64 + 2 * 8);
  EXPECT_EQ(bmp[10], 54 + 64); // pixel offset
  EXPECT_EQ(bmp[28], 4);       // bits per pixel
  EXPECT_EQ(bmp[46], 16);      // colours used
  EXPECT_EQ(bmp[54 + 64 + 4], indices[17] << 4) << "the odd last pixel, its partner zero";
  EXPECT_EQ(bmp[54 + 64 + 8], indices[0] << 4 | indices[1]) << "the top row comes last";
}

TEST(LbmDecoder, ChunksBeforeTheBodyAreSkippedWithTheirPadBytes) {
  auto indices = Indices(16, 4, 4);
  LbmFile file{"ILBM", 16, 4, 2, 0, 0, {}};
  file.chunks = {{"CAMG", {0, 0, 0, 0}},
                 {"ANNO", {'o', 'd', 'd'}},
                 {"CMAP", Cmap(4)},
                 {"DPI ", {1}},
                 {"BODY", PlanarBody(indices, 16, 4, 2)}};
  auto bytes = file.Bytes();
  // Amiga programs often write annotations before the bitmap header.
  const std::vector<uint8_t> name = {'N', 'A', 'M', 'E', 0, 0, 0, 3, 'a', 'b', 'c', 0};
  bytes.insert(bytes.begin() + 12, name.begin(), name.end());
  TSLBMImage image = Decode(bytes);
  EXPECT_EQ(image.Palette().size(), 4u);
  ExpectIndices(image, indices, 16, 4);
}

TEST(LbmDecoder, ColourMapChoices) {
  auto indices = Indices(16, 2, 4);
  auto body = PlanarBody(indices, 16, 2, 2);
  // No colour map: a grey ramp over the plane values.
  TSLBMImage grey = Decode(LbmFile{"ILBM", 16, 2, 2, 0, 0, {{"BODY", body}}}.Bytes());
  ASSERT_EQ(grey.Palette().size(), 4u);
  EXPECT_EQ(grey.Palette()[1], (TRGBQuad{85, 85, 85, 0}));
  EXPECT_EQ(grey.Palette()[3], (TRGBQuad{255, 255, 255, 0}));
  ExpectIndices(grey, indices, 16, 2);
  // 17 colours need a byte per pixel; more than 256 are cut to 256.
  EXPECT_EQ(Decode(LbmFile{"ILBM", 16, 2, 2, 0, 0, {{"CMAP", Cmap(17)}, {"BODY", body}}}.Bytes())
                .BitsPerPixel(),
            8);
  TSLBMImage many =
      Decode(LbmFile{"ILBM", 16, 2, 2, 0, 0, {{"CMAP", Cmap(300)}, {"BODY", body}}}.Bytes());
  EXPECT_EQ(many.Palette().size(), 256u);
  ExpectIndices(many, indices, 16, 2);
  // Extra-half-brite: 32 colours and the same at half intensity.
  auto ehb = LbmFile{"ILBM", 16, 2, 6, 0, 0, {{"CMAP", Cmap(32)}, {"CAMG", {0, 0, 0, 0x80}}}};
  ehb.chunks.push_back({"BODY", PlanarBody(Indices(16, 2, 64), 16, 2, 6)});
  TSLBMImage half = Decode(ehb.Bytes());
  ASSERT_EQ(half.Palette().size(), 64u);
  EXPECT_EQ(half.Palette()[33], (TRGBQuad{6, 127, 3, 0}));
  ExpectIndices(half, Indices(16, 2, 64), 16, 2);
}

TEST(LbmDecoder, BodyThatEndsEarlyDecodesAsZeros) {
  // The last two rows are missing. Uncompressed ILBM takes its row width from the body size,
  // so this one is packed.
  auto indices = Indices(32, 8, 16);
  auto body = PlanarBody(indices, 32, 8, 4);
  body.resize(body.size() - 2 * 4 * 4);
  std::fill(indices.end() - 64, indices.end(), 0);
  ExpectIndices(Decode(Ilbm(32, 8, 4, 16, ByteRun1(body))), indices, 32, 8);
}

TEST(LbmDecoder, LoadingTwoFilesGivesEachItsOwnResult) {
  auto a = Indices(100, 20, 256, 7), b = Indices(60, 11, 16, 9);
  // A's body ends inside a long run, so a decoder that kept its state would start B in it.
  auto bodyA = PlanarBody(a, 100, 20, 8);
  bodyA.insert(bodyA.end(), 100, 0x55);
  auto fileA = Ilbm(100, 20, 8, 256, ByteRun1(bodyA));
  auto fileB = Ilbm(60, 11, 4, 16, ByteRun1(PlanarBody(b, 60, 11, 4)));
  TSLBMImage image;
  TReadOnlyMemoryStream streamA(fileA), streamB(fileB);
  image.LoadFromStream(streamA);
  image.LoadFromStream(streamB);
  ExpectIndices(image, b, 60, 11);
}

// Each bad file gives its own text, and the picture loaded before stays.
TEST(LbmDecoder, RefusesBadFiles) {
  auto body = PlanarBody(Indices(16, 2, 4), 16, 2, 2);
  auto good = LbmFile{"ILBM", 16, 2, 2, 0, 0, {{"CMAP", Cmap(4)}, {"BODY", body}}};
  auto with = [&](auto change) {
    LbmFile f = good;
    change(f);
    return f.Bytes();
  };
  auto zeroSizeChunk = good.Bytes();
  zeroSizeChunk[47] = 0; // the CMAP size
  auto sizePastEnd = good.Bytes();
  sizePastEnd[46] = 1;
  auto short40 = good.Bytes();
  short40.resize(39);
  auto noBody = with([](LbmFile& f) { f.chunks.pop_back(); });
  auto noHeader = good.Bytes();
  std::copy_n("ANNO", 4, noHeader.begin() + 12);
  const std::string corrupted = "The file may be corrupted.";
  const std::string notLbm = "No DeLux Paint LBM file.";
  struct Bad {
    std::vector<uint8_t> bytes;
    std::string message;
  } cases[] = {
      {short40, corrupted},
      {with([](LbmFile& f) { f.formType = "ACBM"; }), notLbm},
      {zeroSizeChunk, corrupted},
      {sizePastEnd, corrupted},
      {noBody, corrupted},
      {noHeader, notLbm},
      {with([](LbmFile& f) { f.planes = 9; }), "The LBM picture has more than 8 bit planes."},
      {with([](LbmFile& f) {
         f.chunks.insert(f.chunks.begin(), {"PCHG", {0, 0}});
       }),
       "The LBM picture changes its colours line by line (PCHG or CTBL), which is not supported."},
      {with([](LbmFile& f) { f.height = 0; }), "The LBM picture has a width or height of 0."},
      {with([](LbmFile& f) { f.planes = 0; }), corrupted},
      {with([](LbmFile& f) { f.height = 100; }), corrupted}, // no whole row per plane
      {with([](LbmFile& f) { f.width = 8001, f.compression = 1; }),
       "The LBM picture's rows are wider than 8000 pixels."},
      {with([](LbmFile& f) { f.formType = "PBM ", f.width = 8001; }),
       "The LBM picture's rows are wider than 8000 pixels."},
  };
  TSLBMImage image = Decode(good.Bytes());
  for (const auto& bad : cases) {
    TReadOnlyMemoryStream stream(bad.bytes);
    try {
      image.LoadFromStream(stream);
      ADD_FAILURE() << "accepted, expected " << bad.message;
    } catch (const ELBMException& e) {
      EXPECT_EQ(e.Message(), bad.message);
    }
    EXPECT_EQ(image.Width(), 16);
  }
}

} // namespace
