// Hand-made LBM files for what the encoders of the manifest do not write: PBM bodies, mask
// planes, ByteRun1 runs across rows and 8192-byte blocks, no-op control bytes, the colour-map
// rules, chunks around the header, short bodies.
#include "HandMade.h"
#include "TestSupport.h"
#include "formats/SLBMImg.h"
#include "io/Streams.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<uint8_t>;
using testsupport::LbmFile;

// A deterministic picture of `colors` values with runs of equal pixels and noise.
Bytes Indices(int width, int height, int colors, uint32_t seed = 1) {
  Bytes out(size_t(width) * height);
  for (size_t i = 0; i < out.size(); ++i) {
    seed = seed * 1103515245 + 12345;
    out[i] = uint8_t(((seed >> 16) % 4 == 0 ? seed >> 20 : i / 7 + i / width) % colors);
  }
  return out;
}

// PBM rows of even length, or ILBM rows of 2 × ⌈w / 16⌉ bytes per plane holding bit p of
// each pixel, with a mask plane (all bits set) after the colour planes.
Bytes Body(const Bytes& indices, int width, int height, int planes, bool pbm, bool mask = false) {
  const size_t rowBytes = 2 * ((width + 15) / 16);
  Bytes body;
  for (int y = 0; y < height; ++y) {
    auto row = indices.begin() + y * width;
    if (pbm) body.insert(body.end(), row, row + width);
    if (pbm && width % 2) body.push_back(0xEE);
    for (int p = 0; !pbm && p < planes + mask; ++p) {
      Bytes plane(rowBytes, p == planes ? 0xFF : 0);
      for (int x = 0; x < width && p < planes; ++x)
        if (row[x] >> p & 1) plane[x / 8] |= 0x80 >> (x % 8);
      body.insert(body.end(), plane.begin(), plane.end());
    }
  }
  return body;
}

// ByteRun1 over the whole body as one stream, so runs cross rows: runs and one-byte literals
// (the manifest's encoder writes longer ones); `noOpEvery` > 0 puts a 128 control byte
// before every n-th packet.
Bytes ByteRun1(const Bytes& data, int noOpEvery = 0) {
  Bytes out;
  int packets = 0;
  for (size_t i = 0, run; i < data.size(); i += run) {
    if (noOpEvery > 0 && ++packets % noOpEvery == 0) out.push_back(128);
    for (run = 1; i + run < data.size() && run < 128 && data[i + run] == data[i];)
      ++run;
    out.insert(out.end(), {uint8_t(run >= 2 ? 257 - run : 0), data[i]});
  }
  return out;
}

Bytes Cmap(int colors) {
  Bytes map;
  for (int i = 0; i < colors; ++i)
    map.insert(map.end(), {uint8_t(i * 7), uint8_t(255 - i), uint8_t(i * 13)});
  return map;
}

// A packed ILBM file with a colour map.
Bytes Ilbm(int width, int height, int planes, int colors, const Bytes& body) {
  LbmFile file{"ILBM", uint16_t(width), uint16_t(height), uint8_t(planes), 0, 1};
  file.chunks = {{"CMAP", Cmap(colors)}, {"BODY", ByteRun1(body)}};
  return file.Build();
}

// The palette indices of a 4- or 8-bit picture, row by row from the top.
Bytes IndicesOf(const TBitmap& bitmap) {
  Bytes out;
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x) {
      const uint8_t* row = bitmap.ScanLine(y);
      out.push_back(bitmap.BitsPerPixel() == 8 ? row[x] : row[x / 2] >> (x % 2 ? 0 : 4) & 15);
    }
  return out;
}

// Each file decodes to the indices it was built from, in the pixel size and with the palette
// its colour map (or its absence, a grey ramp) and CAMG chunk give.
struct PictureCase {
  const char* name;
  LbmFile file; // the header; the chunks are added
  int colors;   // values in the picture
  int cmap;     // colour-map entries, 0 for none
  int bits;
  size_t paletteSize;
  int noOpEvery = 0;
  int cutRows = 0;        // rows missing at the body's end: they decode as index 0
  bool annotated = false; // chunks before the header and before the body, some of odd size
  uint8_t camg = 0;
  int at = 1; // a palette entry to check
  TRGBQuad entry = {13, 254, 7, 0};
};

void PrintTo(const PictureCase& c, std::ostream* os) {
  *os << c.name;
}

class LbmPicture : public testing::TestWithParam<PictureCase> {};

TEST_P(LbmPicture, DecodesToTheIndicesItWasBuiltFrom) {
  const PictureCase& c = GetParam();
  LbmFile file = c.file;
  const bool pbm = file.formType != "ILBM";
  Bytes indices = Indices(file.width, file.height, c.colors);
  Bytes body = Body(indices, file.width, file.height, file.planes, pbm, file.masking == 1);
  body.resize(body.size() - body.size() / file.height * c.cutRows);
  std::fill(indices.end() - file.width * c.cutRows, indices.end(), 0);
  if (c.annotated) file.chunks = {{"ANNO", {'o', 'd', 'd'}}, {"CAMG", {0, 0, 0, 0}}};
  if (c.cmap) file.chunks.push_back({"CMAP", Cmap(c.cmap)});
  if (c.camg) file.chunks.push_back({"CAMG", {0, 0, 0, c.camg}});
  if (c.annotated) file.chunks.push_back({"DPI ", {1}});
  file.chunks.push_back({"BODY", file.compression ? ByteRun1(body, c.noOpEvery) : body});
  Bytes bytes = file.Build();
  // Amiga programs often write annotations before the bitmap header.
  const Bytes name = {'N', 'A', 'M', 'E', 0, 0, 0, 3, 'a', 'b', 'c', 0};
  if (c.annotated) bytes.insert(bytes.begin() + 12, name.begin(), name.end());
  TSLBMImage image = testsupport::Loaded<TSLBMImage>(bytes);
  EXPECT_EQ(image.BitsPerPixel(), c.bits);
  ASSERT_EQ(image.Palette().size(), c.paletteSize);
  EXPECT_EQ(image.Palette()[c.at], c.entry);
  EXPECT_EQ(IndicesOf(image), indices);
}

const PictureCase pictures[] = {
    {"PbmByteRun1", {"PBM ", 301, 97, 8, 0, 1}, 256, 256, 8, 256, 3},
    {"PbmOddWidth16Colours", {"PBMx", 5, 3, 8, 0, 1}, 16, 16, 4, 16},
    {"IlbmMaskPacked", {"ILBM", 100, 30, 6, 1, 1}, 64, 64, 8, 64, 4},
    {"BodyEndsEarly", {"ILBM", 32, 8, 4, 0, 1}, 16, 16, 4, 16, 0, 2},
    {"ChunksAroundTheHeader", {}, 4, 4, 4, 4, 0, 0, true},
    {"NoMapGreyRamp", {}, 4, 0, 4, 4, 0, 0, false, 0, 1, {85, 85, 85}},
    {"NoMapOnePlane", {"ILBM", 16, 2, 1}, 2, 0, 4, 2, 0, 0, false, 0, 1, {255, 255, 255}},
    {"SeventeenColoursNeedAByte", {}, 4, 17, 8, 17},
    {"MapCutTo256", {}, 4, 300, 8, 256},
    {"ExtraHalfBrite", {"ILBM", 16, 2, 6}, 64, 32, 8, 64, 0, 0, false, 0x80, 33, {6, 127, 3}},
};
INSTANTIATE_TEST_SUITE_P(Pictures, LbmPicture, testing::ValuesIn(pictures),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(LbmDecoder, FourBitRowsOfWidthNineAreEightBytes) {
  const Bytes indices = Indices(9, 2, 16);
  const TBitmap bitmap = DecodeLbm(Ilbm(9, 2, 4, 16, Body(indices, 9, 2, 4, false)));
  ASSERT_EQ(bitmap.PixelFormat(), TPixelFormat::pf4bit);
  EXPECT_EQ(bitmap.RowStride(), 8);
  EXPECT_EQ(bitmap.Palette().size(), 16u);
  EXPECT_EQ(bitmap.ScanLine(1)[4], indices[17] << 4) << "the odd last pixel, its partner zero";
  EXPECT_EQ(bitmap.ScanLine(0)[0], indices[0] << 4 | indices[1]) << "the top row comes first";
}

// The checks' refusals, each with its kind's text, and the values just inside each limit,
// which load, are rows of the corpus manifest (tests/data/regressions/lbm). Each check raises
// ELBMException; a picture beyond the bitmap limits raises the limits' error, its text led by
// the kind's.
TEST(LbmDecoder, KeptRefusalsRaiseTheirKinds) {
  const std::vector<std::string> files = testsupport::KeptFiles("lbm", "! ");
  EXPECT_GE(files.size(), 19u);
  for (const std::string& file : files) {
    try {
      testsupport::Loaded<TSLBMImage>(testsupport::ReadFile(file));
      ADD_FAILURE() << file << " loaded";
    } catch (const Exception& e) {
      const bool limits = std::string(e.what()).starts_with(LBMErrorText(TLBMError::TooLarge));
      EXPECT_EQ(dynamic_cast<const ELBMException*>(&e) == nullptr, limits) << file;
    }
  }
}

// Bad files and their texts are rows of the corpus manifest (tests/data/regressions/lbm).
TEST(LbmDecoder, EachLoadStartsAfreshAndARefusalKeepsThePicture) {
  const Bytes a = Indices(100, 20, 256, 7), b = Indices(60, 11, 16, 9);
  // A's body ends inside a long run, so a decoder that kept its state would start B in it.
  Bytes bodyA = Body(a, 100, 20, 8, false);
  bodyA.insert(bodyA.end(), 100, 0x55);
  TSLBMImage image;
  auto load = [&](const Bytes& file) {
    TReadOnlyMemoryStream stream(file);
    image.LoadFromStream(stream);
  };
  load(Ilbm(100, 20, 8, 256, bodyA));
  load(Ilbm(60, 11, 4, 16, Body(b, 60, 11, 4, false)));
  EXPECT_EQ(IndicesOf(image), b);
  EXPECT_THROW(load(Ilbm(16, 2, 9, 4, Body(a, 16, 2, 2, false))), ELBMException);
  EXPECT_EQ(IndicesOf(image), b);
}

} // namespace
