// The LBM decoder against independent decoders: netpbm's ilbmtoppm on files that
// ppmtoilbm writes at test time, and the reference pictures of the public IFF corpus.
#include "LbmTestFiles.h"
#include "TestSupport.h"
#include "graphics/Streams.h"
#include "import/SLBMImg.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace lbmtest;
namespace fs = std::filesystem;

namespace {

TSLBMImage DecodeFile(const std::string& fileName) {
  TSLBMImage image;
  image.LoadFromFile(fileName);
  return image;
}

uint32_t Rgb(const TBitmap& bitmap, int x, int y) {
  const TRGBQuad& q = bitmap.Palette().at(IndexAt(bitmap, x, y));
  return uint32_t{q.rgbRed} << 16 | uint32_t{q.rgbGreen} << 8 | q.rgbBlue;
}

struct NetpbmCase {
  int planes, colors, width, height;
  bool compressed;
};

class LbmNetpbm : public testing::TestWithParam<NetpbmCase> {};

TEST_P(LbmNetpbm, MatchesIlbmtoppm) {
  if (!testsupport::HaveTool("ppmtoilbm") || !testsupport::HaveTool("ilbmtoppm"))
    GTEST_SKIP() << "netpbm is not installed";
  const NetpbmCase& c = GetParam();
  testsupport::TempDir dir;
  auto indices = Indices(c.width, c.height, c.colors, 3);
  std::string ppm = "P6\n" + std::to_string(c.width) + " " + std::to_string(c.height) + "\n255\n";
  std::vector<uint8_t> bytes(ppm.begin(), ppm.end());
  for (uint8_t i : indices)
    bytes.insert(bytes.end(), {uint8_t(i * 37), uint8_t(255 - i), uint8_t(i ^ 0x5A)});
  testsupport::WriteFile(dir.File("in.ppm"), bytes);
  std::string options = "-maxplanes 8 -fixplanes " + std::to_string(c.planes) +
                        (c.compressed ? " -compress" : " -nocompress");
  ASSERT_EQ(
      testsupport::Run("cd " + dir.Path().string() + " && ppmtoilbm " + options +
                       " in.ppm > in.lbm 2>/dev/null && ilbmtoppm in.lbm > ref.ppm 2>/dev/null"),
      0);
  auto lbm = testsupport::ReadFile(dir.File("in.lbm"));
  ASSERT_EQ(lbm[28], c.planes) << "ppmtoilbm wrote another plane count";
  auto reference = testsupport::ReadNetpbm(dir.File("ref.ppm"));
  TSLBMImage image = DecodeFile(dir.File("in.lbm"));
  ASSERT_EQ(image.Width(), reference.width);
  ASSERT_EQ(image.Height(), reference.height);
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x)
      ASSERT_EQ(Rgb(image, x, y), reference.pixels[y * reference.width + x] & 0xFFFFFF)
          << "at " << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(
    PlanesAndWidths, LbmNetpbm,
    testing::Values(NetpbmCase{1, 2, 9, 5, true}, NetpbmCase{1, 2, 100, 7, false},
                    NetpbmCase{2, 4, 100, 9, true}, NetpbmCase{3, 8, 9, 12, false},
                    NetpbmCase{4, 16, 100, 20, true}, NetpbmCase{4, 16, 9, 3, false},
                    NetpbmCase{5, 16, 100, 8, true}, NetpbmCase{5, 32, 9, 8, false},
                    NetpbmCase{6, 64, 100, 30, true}, NetpbmCase{7, 128, 9, 40, false},
                    NetpbmCase{8, 256, 100, 50, true}, NetpbmCase{8, 256, 9, 17, false},
                    NetpbmCase{8, 256, 700, 90, true}));

// The IFF corpus: plain ILBM and PBM pictures must match their PNG; forms and depths this
// decoder does not read must be refused with their texts. HAM and extra-half-bright
// pictures hold indices into a small colour map and are decoded as such (their own colour
// modes are not applied), palette-change chunks are skipped.
fs::path IffCorpus() {
  fs::path root = testsupport::CorporaDir();
  return root.empty() ? root : root / "kimageformats" / "iff";
}

TEST(LbmCorpus, PlainIndexedPicturesMatchTheirReference) {
  fs::path dir = IffCorpus();
  if (dir.empty()) GTEST_SKIP() << "corpora are absent";
  for (const char* name :
       {"ps_testcard_bitmap_amiga", "ps_testcard_gray_amiga", "ps_testcard_indexed_amiga",
        "testcard_indexed1_amiga", "testcard_indexed2_amiga", "testcard_indexed3_amiga",
        "testcard_indexed4_amiga", "testcard_pbm", "testcard_rlepbm"}) {
    SCOPED_TRACE(name);
    TSLBMImage image = DecodeFile((dir / (std::string(name) + ".iff")).string());
    QImage reference((dir / (std::string(name) + ".png")).string().c_str());
    ASSERT_FALSE(reference.isNull());
    ASSERT_EQ(image.Width(), reference.width());
    ASSERT_EQ(image.Height(), reference.height());
    int mismatches = 0;
    for (int y = 0; y < image.Height(); ++y)
      for (int x = 0; x < image.Width(); ++x)
        mismatches += Rgb(image, x, y) != (reference.pixel(x, y) & 0xFFFFFF);
    EXPECT_EQ(mismatches, 0);
  }
}

TEST(LbmCorpus, OtherFormsAndDepthsAreRefusedOrDecodedAsIndices) {
  fs::path dir = IffCorpus();
  if (dir.empty()) GTEST_SKIP() << "corpora are absent";
  struct Expectation {
    const char* name;
    const char* message; // nullptr: decoded as indices
  } cases[] = {
      {"testcard_acbm", "No DeLux Paint LBM file."},
      {"cat_ilbm", "No DeLux Paint LBM file."},
      {"ps_testcard_rgb_maya", "No DeLux Paint LBM file."},
      {"sv5_idx8_rgx", "No DeLux Paint LBM file."},
      {"sv5_unc_rgb8_deep", "No DeLux Paint LBM file."},
      {"ps_testcard_rgb_amiga", "The LBM picture has more than 8 bit planes."},
      {"sv5_testcard_rgba16", "The LBM picture has more than 8 bit planes."},
      {"meta_rgba", "The LBM picture has more than 8 bit planes."},
      {"flag_ham6", nullptr},
      {"ham8", nullptr},
      {"aga_pchg_amiga_64cl", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string file = (dir / (std::string(c.name) + ".iff")).string();
    if (!c.message) {
      TSLBMImage image = DecodeFile(file);
      EXPECT_EQ(image.BitsPerPixel(), 8);
      EXPECT_GT(image.Width(), 0);
      continue;
    }
    try {
      DecodeFile(file);
      ADD_FAILURE() << "accepted";
    } catch (const ELBMException& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
}

} // namespace
