// PCX and LBM files written at test time by independent encoders (netpbm, ImageMagick),
// decoded here and by netpbm's decoders, pixel for pixel.
#include "ReferencePixels.h"
#include "TestSupport.h"
#include "import/SLBMImg.h"
#include "import/SPCXImg.h"

#include <gtest/gtest.h>

namespace {

struct Case {
  const char* name;
  const char* make; // shell command: in.ppm → out.pcx / out.lbm
  int width, height, colors;
  int bitsPerPixel; // of the decoded picture
};

const Case kCases[] = {
    {"pcx_mono", "ppmtopcx -packed in.ppm > out.pcx", 33, 9, 2, 4},
    {"pcx_packed4", "ppmtopcx -packed in.ppm > out.pcx", 21, 7, 4, 4},
    {"pcx_packed16", "ppmtopcx -packed in.ppm > out.pcx", 19, 6, 16, 4},
    {"pcx_planes2", "ppmtopcx -planes=2 in.ppm > out.pcx", 17, 5, 4, 4},
    {"pcx_planes3", "ppmtopcx -planes=3 in.ppm > out.pcx", 9, 5, 8, 4},
    {"pcx_planes4", "ppmtopcx -planes=4 in.ppm > out.pcx", 37, 23, 16, 4},
    {"pcx_8bit", "ppmtopcx -8bit in.ppm > out.pcx", 301, 200, 200, 8},
    {"pcx_24bit", "ppmtopcx -24bit in.ppm > out.pcx", 301, 200, 300, 24},
    {"pcx_magick_rgb", "convert in.ppm out.pcx", 143, 90, 400, 24},
    {"pcx_magick_palette", "convert in.ppm -type palette out.pcx", 143, 90, 40, 8},
    {"lbm_1plane", "ppmtoilbm -maxplanes 8 -fixplanes 1 in.ppm > out.lbm", 9, 5, 2, 4},
    {"lbm_3planes_raw", "ppmtoilbm -fixplanes 3 -nocompress in.ppm > out.lbm", 100, 7, 8, 4},
    {"lbm_5planes", "ppmtoilbm -maxplanes 8 -fixplanes 5 in.ppm > out.lbm", 100, 8, 32, 8},
    {"lbm_8planes", "ppmtoilbm -maxplanes 8 -fixplanes 8 in.ppm > out.lbm", 700, 90, 256, 8},
    {"lbm_8planes_raw", "ppmtoilbm -maxplanes 8 -nocompress in.ppm > out.lbm", 9, 17, 256, 8},
    {"lbm_ham6", "ppmtoilbm -ham6 in.ppm > out.lbm", 120, 40, 300, 24},
    {"lbm_ham6_raw", "ppmtoilbm -ham6 -nocompress in.ppm > out.lbm", 33, 9, 300, 24},
    {"lbm_ham8", "ppmtoilbm -ham8 in.ppm > out.lbm", 120, 40, 300, 24},
    {"lbm_deep", "ppmtoilbm -24force in.ppm > out.lbm", 61, 20, 300, 24},
    {"lbm_ecs", "ppmtoilbm -ecs in.ppm > out.lbm", 61, 20, 300, 24},
};

class Differential : public testing::TestWithParam<Case> {};

TEST_P(Differential, DecodesAsNetpbmDoes) {
  const Case& c = GetParam();
  for (const char* tool : {"ppmtopcx", "pcxtoppm", "ppmtoilbm", "ilbmtoppm", "convert"})
    if (!testsupport::HaveTool(tool)) GTEST_SKIP() << tool << " is not installed";
  testsupport::TempDir dir;
  const std::string cd = "cd '" + dir.Path().string() + "' && ";
  referencetest::WritePattern(dir.File("in.ppm"), c.width, c.height, c.colors, 7, 9);
  ASSERT_EQ(testsupport::Run(cd + c.make + " 2>/dev/null"), 0);
  const bool pcx = std::string(c.make).find("out.pcx") != std::string::npos;
  ASSERT_EQ(testsupport::Run(cd + (pcx ? "pcxtoppm out.pcx" : "ilbmtoppm out.lbm") +
                             " > ref.ppm 2>/dev/null"),
            0);
  std::unique_ptr<TUniBitmap> decoded;
  if (pcx)
    decoded = std::make_unique<TSPCXBitmap>();
  else
    decoded = std::make_unique<TSLBMImage>();
  decoded->LoadFromFile(dir.File(pcx ? "out.pcx" : "out.lbm"));
  EXPECT_EQ(decoded->BitsPerPixel(), c.bitsPerPixel);
  EXPECT_TRUE(referencetest::SamePixels(*decoded, testsupport::ReadNetpbm(dir.File("ref.ppm"))));
}

INSTANTIATE_TEST_SUITE_P(PcxLbm, Differential, testing::ValuesIn(kCases),
                         [](const auto& test) { return std::string(test.param.name); });

} // namespace
