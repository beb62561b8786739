// Pictures of formats that Qt's own readers read: the command line takes them to BLZ and back
// with the pixels ImageMagick reads (what BLZ cannot keep of them is said, and files that look
// like ours are left to our own decoders: tests/data/cli/stock.t).
#include "CliRun.h"
#include "blz/UniBmp.h"
#include "cli/Input.h"
#include "qt/SLoadImg.h"

#include <gtest/gtest.h>

namespace {

using testsupport::ReadFile;
using testsupport::TempDir;

// The TrueVision 2.0 footer, without which Qt's TGA reader refuses a file.
const char* const kTgaFooter = "printf '\\0\\0\\0\\0\\0\\0\\0\\0TRUEVISION-XFILE.\\0' >>";

// ImageMagick's reading of `file` as 8-bit samples of `map` (RGB or RGBA).
std::vector<uint8_t> Samples(const TempDir& dir, const std::string& file, const char* map) {
  const std::string out = dir.File("samples");
  EXPECT_EQ(testsupport::Run("convert '" + file + "[0]' -depth 8 " + map + ":'" + out + "'"), 0);
  return ReadFile(out);
}

struct TStockCase {
  const char* file;
  const char* make; // ImageMagick's options and output prefix for the picture
};

// A picture with colour everywhere and, for RGBA, alpha of every kind but 0.
const TStockCase kCases[] = {
    {"palette.png", "-colors 12 PNG8:"},
    {"grey.png", "-colorspace Gray PNG:"},
    {"rgb.png", "PNG24:"},
    {"rgba.png", "-alpha set -channel A -fx '(i+j+1)/14' +channel PNG32:"},
    {"photo.tif", "TIFF:"},
    {"photo.webp", "-define webp:lossless=true WEBP:"},
    {"photo.tga", "-orient TopLeft TGA:"},
};

void MakeCase(const TempDir& dir, const TStockCase& c) {
  std::string script =
      "convert -seed 7 -size 9x6 plasma: -depth 8 " + std::string(c.make) + "'" + c.file + "'";
  if (std::string(c.file).ends_with(".tga")) script += "; " + std::string(kTgaFooter) + c.file;
  ASSERT_EQ(Shell(dir, script).status, 0) << c.file;
}

TEST(StockPictures, ToBlzInEachLayoutAndBackWithThePixelsImageMagickReads) {
  if (!testsupport::HaveTool("convert")) GTEST_SKIP() << "needs ImageMagick";
  TempDir dir;
  for (const TStockCase& c : kCases) {
    SCOPED_TRACE(c.file);
    MakeCase(dir, c);
    const TRun run = Shell(dir, std::string("$CLI pack ") + c.file + " p.blz && $CLI convert " +
                                    c.file + " --layout stream s.blz && $CLI convert p.blz " +
                                    "p.png && $CLI convert s.blz s.png");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::vector<uint8_t> source = Samples(dir, dir.File(c.file), "RGBA");
    EXPECT_EQ(Samples(dir, dir.File("p.png"), "RGBA"), source);
    EXPECT_EQ(Samples(dir, dir.File("s.png"), "RGBA"), source);

    // The picture the input module hands over keeps its alpha.
    TUniBitmap read;
    ReadInput(dir.File(c.file), "", read);
    const bool alpha = std::string(c.file) == "rgba.png";
    ASSERT_EQ(read.PixelFormat(), alpha ? TPixelFormat::pf32bit : TPixelFormat::pf24bit);
    EXPECT_EQ(read.HasAlpha(), alpha);
    for (int y = 0, i = 0; y < read.Height(); ++y)
      for (int x = 0; x < read.Width(); ++x, i += 4) {
        const TColor got = read.GetPixel(x, y);
        ASSERT_EQ(got, TColor(source[i] | source[i + 1] << 8 | source[i + 2] << 16))
            << x << "," << y;
        if (alpha) {
          ASSERT_EQ(read.ScanLine(y)[x * 4 + 3], source[i + 3]) << x << "," << y;
        }
      }
    // The window draws the picture over white, as it draws every picture it opens.
    TImageLoader loader;
    loader.tryLoadImageFile(dir.File(c.file));
    EXPECT_EQ(std::pair(loader.PixelFormat(), loader.Width()), std::pair(TPixelFormat::pf24bit, 9));
  }
}

} // namespace
