// convert's formats against an independent decoder, and alpha on every path (batches are kept
// in tests/data/cli/batch.t).
#include "CliRun.h"
#include "Picture.h"

#include <gtest/gtest.h>

namespace {

using testsupport::ReadFile;
using testsupport::TempDir;

// Every output of convert decodes, in ImageMagick, to the pixels of unpack's BMP image.
TEST(Convert, EachFormatDecodesElsewhereToThePixelsOfUnpack) {
  TempDir dir;
  const struct {
    const char* name;
    TUniBitmap picture;
  } pictures[] = {
      {"colour palette", Picture(37, 23, TPixelFormat::pf8bit)},
      {"grey palette", Picture(37, 23, TPixelFormat::pf8bit, true)},
      {"4-bit palette", Picture(37, 23, TPixelFormat::pf4bit)},
      {"5-6-5", Picture(37, 23, TPixelFormat::pf16bit)},
      {"24-bit", Picture(37, 23, TPixelFormat::pf24bit)},
      {"alpha", Picture(37, 23, TPixelFormat::pf32bit)},
  };
  for (const auto& [name, picture] : pictures) {
    // A BMP file with an alpha mask keeps the fourth byte as alpha.
    const Bytes bmp = BmpFile(picture);
    testsupport::WriteFile(dir.File("in.bmp"),
                           name == std::string("alpha") ? WithAlphaMask(bmp) : bmp);
    ASSERT_EQ(Cli({"unpack", dir.File("in.bmp"), dir.File("ref.bmp")}).status, 0) << name;
    TUniBitmap reference;
    reference.LoadFromFile(dir.File("in.bmp"));
    const bool grey = std::string(name) == "grey palette";
    for (const char* format : {"png", "pam", "ppm", "pgm", "blz", "bmp"}) {
      SCOPED_TRACE(std::string(name) + " to " + format);
      const std::string out = dir.File(std::string("out.") + format);
      const bool refused = std::string(format) == "pgm" && !grey;
      ASSERT_EQ(Cli({"convert", dir.File("in.bmp"), out}).status, refused ? 1 : 0);
      if (refused) continue;
      std::string decoded = out;
      if (std::string(format) == "blz") {
        ASSERT_EQ(Cli({"convert", out, decoded = dir.File("blz.bmp")}).status, 0);
        EXPECT_EQ(ReadFile(decoded), ReadFile(dir.File("ref.bmp")));
      }
      ASSERT_EQ(
          testsupport::Run("convert '" + decoded + "' -depth 8 pam:" + dir.File("decoded.pam")), 0);
      // Decoders expand 5- and 6-bit channels each their own way.
      const int bits = reference.BitsPerPixel() == 16 ? 5 : 8;
      const testsupport::Image pixels = testsupport::ReadNetpbm(dir.File("decoded.pam"));
      EXPECT_EQ(testsupport::ComparePixels(reference, pixels, 0, bits), "");
    }
  }
}

// An RGBA picture made elsewhere keeps every pixel and its alpha through both layouts, read back
// from a file or standard input, out as PNG, PAM or BMP.
TEST(Convert, AlphaSurvivesEveryLayoutAndPath) {
  TempDir dir;
  testsupport::Image rgba{150, 70, true, {}};
  std::string pam = "P7\nWIDTH 150\nHEIGHT 70\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
  for (int y = 0; y < rgba.height; ++y)
    for (int x = 0; x < rgba.width; ++x) {
      const uint8_t p[4] = {uint8_t(x * 3), uint8_t(y * 5), uint8_t(x ^ y), uint8_t(x + y * 9)};
      pam.append(reinterpret_cast<const char*>(p), 4);
      rgba.pixels.push_back(uint32_t(p[3]) << 24 | p[0] << 16 | p[1] << 8 | p[2]);
    }
  testsupport::WriteFile(dir.File("in.pam"), Bytes(pam.begin(), pam.end()));
  // ImageMagick's BMP of an RGBA picture has the same BITMAPV5HEADER as ours.
  ASSERT_EQ(testsupport::Run("cd " + dir.Path().string() +
                             " && convert in.pam PNG32:in.png && convert in.png BMP:in.bmp"),
            0);
  auto expectPixels = [&](const std::string& file) {
    SCOPED_TRACE(file);
    ASSERT_EQ(testsupport::Run("convert '" + dir.File(file) +
                               "' -depth 8 PAM:" + dir.File("decoded.pam")),
              0);
    const testsupport::Image decoded = testsupport::ReadNetpbm(dir.File("decoded.pam"));
    EXPECT_TRUE(decoded.alpha);
    for (size_t i = 0; i < rgba.pixels.size(); ++i)
      if (rgba.pixels[i] >> 24 != 0 || decoded.pixels[i] >> 24 != 0) {
        ASSERT_EQ(decoded.pixels[i], rgba.pixels[i]) << "pixel " << i;
      }
  };
  // Packed piece by piece; the whole-picture path keeps alpha in AlphaTest (core).
  for (const char* layout : {"packed", "stream"}) {
    SCOPED_TRACE(layout);
    ASSERT_EQ(Process(dir, {"pack", "--layout", layout, "in.bmp", "x.blz"}).status, 0);
    ASSERT_EQ(Shell(dir, "$CLI unpack x.blz out.bmp && $CLI unpack - - <x.blz >piped.bmp && "
                         "$CLI convert x.blz out.png && $CLI convert x.blz out.pam")
                  .status,
              0);
    EXPECT_EQ(ReadFile(dir.File("piped.bmp")), ReadFile(dir.File("out.bmp")));
    for (const char* out : {"out.bmp", "out.png", "out.pam"})
      expectPixels(out);
    EXPECT_EQ(Cli({"info", dir.File("x.blz")}).out.find(" 32 bpp") != std::string::npos, true);
  }
}

// A BMP image whose alpha is all 0 reads back opaque: packed piece by piece, unpacked piece
// by piece, its bytes are those of the whole-picture path, which writes it as opaque.
TEST(Convert, AllZeroAlphaIsOpaqueOnEveryPath) {
  TempDir dir;
  TUniBitmap zero = Picture(150, 70, TPixelFormat::pf32bit);
  for (int y = 0; y < zero.Height(); ++y)
    for (int x = 0; x < zero.Width(); ++x)
      zero.ScanLine(y)[4 * x + 3] = 0;
  zero.SetHasAlpha(true);
  zero.SaveToFile(dir.File("in.bmp"));
  ASSERT_EQ(ReadFile(dir.File("in.bmp"))[14], 124);
  for (const char* layout : {"packed", "stream"}) {
    SCOPED_TRACE(layout);
    ASSERT_EQ(Process(dir, {"pack", "--layout", layout, "in.bmp", "a.blz"}).status, 0);
    ASSERT_EQ(
        Process(dir, {"pack", "--format", "bmp", "--layout", layout, "in.bmp", "b.blz"}).status, 0);
    EXPECT_EQ(ReadFile(dir.File("a.blz")), ReadFile(dir.File("b.blz")));
    ASSERT_EQ(Shell(dir, "$CLI unpack a.blz a.bmp && $CLI unpack - - <a.blz >p.bmp && "
                         "$CLI convert --format blz a.blz b.bmp")
                  .status,
              0);
    const Bytes opaque = ReadFile(dir.File("b.bmp"));
    EXPECT_EQ(opaque[14], 40);
    EXPECT_EQ(ReadFile(dir.File("a.bmp")), opaque);
    EXPECT_EQ(ReadFile(dir.File("p.bmp")), opaque);
  }
}

} // namespace
