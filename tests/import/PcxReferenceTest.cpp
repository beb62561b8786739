// PCX files written by independent encoders (netpbm, ImageMagick) at test time and the public
// suites' PCX files, compared pixel for pixel with pcxtoppm or the suite's own references.
#include "ReferencePixels.h"
#include "TestSupport.h"
#include "graphics/Streams.h"
#include "import/SLoadImg.h"
#include "import/SPCXImg.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;
using referencetest::SamePixels;
using referencetest::WritePattern;
using testsupport::Image;

namespace {

TSPCXBitmap LoadFile(const std::string& file) {
  TSPCXBitmap bitmap;
  bitmap.LoadFromFile(file);
  return bitmap;
}

// Decodes `file` with `command` (which reads FILE and writes a netpbm image to OUT).
Image ReferenceOf(const testsupport::TempDir& dir, const std::string& command,
                  const std::string& file) {
  std::string out = dir.File("reference.pnm");
  std::string line = command;
  line.replace(line.find("FILE"), 4, "'" + file + "'");
  line.replace(line.find("OUT"), 3, "'" + out + "'");
  if (testsupport::Run(line + " 2>/dev/null") != 0) return {};
  return testsupport::ReadNetpbm(out);
}

TEST(PcxReference, FilesOfIndependentEncodersDecodeAsPcxtoppmDoes) {
  for (const char* tool : {"ppmtopcx", "pcxtoppm", "convert"})
    if (!testsupport::HaveTool(tool)) GTEST_SKIP() << tool << " is not installed";
  testsupport::TempDir dir;
  const std::string in = dir.File("in.ppm"), pcx = dir.File("test.pcx");
  struct Case {
    int width, height, colors, bitsPerPixel;
    std::string command;
  } cases[] = {
      {37, 23, 16, 4, "ppmtopcx -planes=4 '" + in + "' > '" + pcx + "'"},
      {9, 5, 9, 4, "ppmtopcx -planes=4 '" + in + "' > '" + pcx + "'"},
      {301, 200, 200, 8, "ppmtopcx -8bit '" + in + "' > '" + pcx + "'"},
      {77, 31, 3, 8, "ppmtopcx -8bit '" + in + "' > '" + pcx + "'"},
      {301, 200, 300, 24, "ppmtopcx -24bit '" + in + "' > '" + pcx + "'"},
      {8, 3, 5, 24, "ppmtopcx -24bit '" + in + "' > '" + pcx + "'"},
      {143, 90, 400, 24, "convert '" + in + "' '" + pcx + "'"},
      {143, 90, 40, 8, "convert '" + in + "' -type palette '" + pcx + "'"},
  };
  unsigned seed = 7;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command + " (" + std::to_string(c.colors) + " colours)");
    WritePattern(in, c.width, c.height, c.colors, seed++, 70);
    ASSERT_EQ(testsupport::Run(c.command + " 2>/dev/null"), 0);
    TSPCXBitmap b = LoadFile(pcx);
    EXPECT_EQ(b.BitsPerPixel(), c.bitsPerPixel);
    EXPECT_TRUE(SamePixels(b, ReferenceOf(dir, "pcxtoppm FILE > OUT", pcx)));
  }
}

// The suites' PCX files: decoded like the reference PNG beside the file (through ImageMagick)
// or like pcxtoppm, or refused as the table says.
TEST(PcxReference, PublicSuites) {
  fs::path corpora = testsupport::CorporaDir();
  if (corpora.empty()) GTEST_SKIP() << "corpora not present";
  if (!testsupport::HaveTool("pcxtoppm") || !testsupport::HaveTool("convert"))
    GTEST_SKIP() << "pcxtoppm or ImageMagick is not installed";
  const std::string notColour = "This is not a 16, 256 or 24bit color PCX image file.";
  const std::string wrong =
      "PCX file is in wrong format - It must be an EGA, VGA, MCGA or 24bit image.";
  const std::map<std::string, std::string> refused = {
      // Monochrome and 4-colour CGA files (one plane of 1 or 2 bits) are not read.
      {"mono.pcx", notColour},
      {"cga_bw.pcx", notColour},
      {"pil184.pcx", notColour},
      {"CGA_FSD.pcx", notColour},
      {"cga_fsd.pcx", notColour},
      {"cga_rgbi.pcx", notColour},
      {"cga_tst1.pcx", notColour},
      // Three 1-bit planes, four 8-bit planes (RGBA), one 4-bit plane.
      {"ICONDOC.pcx", wrong},
      {"dice_rgba.pcx", wrong},
      {"indexed4.pcx", wrong},
      {"ossfuzz-4836216264589312.pcx", "This is not a valid PCX image file."},
  };
  // Wider than its 12 bytes per line: read at its declared width, the pixels past the
  // scanline 0; pcxtoppm cuts the image to 12 pixels instead.
  const std::string declaredWidth = "01r_00.pcx";
  testsupport::TempDir temp;
  int compared = 0;
  for (const char* suite : {"kimageformats", "image-rs", "pillow"}) {
    if (!fs::is_directory(corpora / suite)) continue;
    for (const auto& entry : fs::recursive_directory_iterator(corpora / suite)) {
      if (entry.path().extension() != ".pcx") continue;
      std::string name = entry.path().filename().string();
      SCOPED_TRACE(entry.path().string());
      std::string error;
      TSPCXBitmap b;
      try {
        b.LoadFromFile(entry.path().string());
      } catch (const EPCXException& e) {
        error = e.what();
      }
      if (auto decision = refused.find(name); decision != refused.end()) {
        EXPECT_EQ(error, decision->second);
        continue;
      }
      ASSERT_EQ(error, "");
      if (name == declaredWidth) continue;
      fs::path png = fs::path(entry.path()).replace_extension(".png");
      Image ref = fs::exists(png) ? ReferenceOf(temp, "convert FILE -depth 8 ppm:OUT", png.string())
                                  : ReferenceOf(temp, "pcxtoppm FILE > OUT", entry.path().string());
      EXPECT_TRUE(SamePixels(b, ref));
      ++compared;
    }
  }
  EXPECT_GT(compared, 8);
}

// The image loader finds a PCX by its content under another format's extension or none (the
// other names are covered by the loader's own tests).
TEST(PcxReference, TheLoaderFindsAPcxByExtensionAndByContent) {
  if (!testsupport::HaveTool("ppmtopcx")) GTEST_SKIP() << "ppmtopcx is not installed";
  testsupport::TempDir dir;
  WritePattern(dir.File("in.ppm"), 21, 13, 60, 3, 70);
  for (const char* name : {"c.gif", "noextension"}) {
    SCOPED_TRACE(name);
    std::string pcx = dir.File(name);
    ASSERT_EQ(
        testsupport::Run("ppmtopcx -8bit '" + dir.File("in.ppm") + "' > '" + pcx + "' 2>/dev/null"),
        0);
    TImageLoader loader;
    TUniBitmap& result = loader.tryLoadImageFile(pcx);
    EXPECT_TRUE(SamePixels(result, ReferenceOf(dir, "pcxtoppm FILE > OUT", pcx)));
  }
}

} // namespace
