// BMP files written at test time by independent tools (netpbm, ImageMagick) must read to the
// pixels those tools' own decoders (or the lossless source) give. Skipped without the tools.
#include "TestSupport.h"
#include "graphics/Bitmap.h"

#include <gtest/gtest.h>

#include <fstream>

using testsupport::Image;

namespace {

struct TToolCase {
  const char* name;
  const char* source; // "rgb", "alpha", "pal256", "pal16" or "pal2": made by the test
  const char* write;  // shell command: {in} → {bmp}
  const char* decode; // shell command: {bmp} → {ref}; empty: the source is the reference
  TPixelFormat format;
  int channelBits; // the file's precision: compare the top bits of each 8-bit channel
};

void WriteImage(const std::string& file, int width, int height, bool alpha,
                uint32_t (*pixel)(int x, int y)) {
  std::ofstream out(file, std::ios::binary);
  out << "P7\nWIDTH " << width << "\nHEIGHT " << height << "\nDEPTH " << (alpha ? 4 : 3)
      << "\nMAXVAL 255\nTUPLTYPE " << (alpha ? "RGB_ALPHA" : "RGB") << "\nENDHDR\n";
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t p = pixel(x, y);
      out.put(static_cast<char>(p >> 16)).put(static_cast<char>(p >> 8)).put(static_cast<char>(p));
      if (alpha) out.put(static_cast<char>(p >> 24));
    }
}

// 37 pixels wide: no row is a multiple of 4 bytes at any depth.
constexpr int kWidth = 37, kHeight = 23;

void MakeSource(const std::string& kind, const std::string& file) {
  if (kind == "rgb")
    WriteImage(file, kWidth, kHeight, false, [](int x, int y) {
      return uint32_t(x * 7 % 256) << 16 | uint32_t(y * 11 % 256) << 8 | uint32_t(x * y % 256);
    });
  else if (kind == "alpha")
    WriteImage(file, kWidth, kHeight, true, [](int x, int y) {
      return uint32_t((x * 13 + y * 5) % 256) << 24 | uint32_t(x * 7 % 256) << 16 |
             uint32_t(y * 11 % 256) << 8 | uint32_t(x * y % 256);
    });
  else if (kind == "pal256")
    WriteImage(file, kWidth, kHeight, false, [](int x, int y) {
      const uint32_t i = static_cast<uint32_t>(x * 5 + y * 3) % 200;
      return (i * 37 % 256) << 16 | (i * 101 % 256) << 8 | i;
    });
  else if (kind == "pal16")
    WriteImage(file, kWidth, kHeight, false, [](int x, int y) {
      const uint32_t i = static_cast<uint32_t>(x + y) % 16;
      return (i * 16) << 16 | (255 - i * 8) << 8 | (i * 5);
    });
  else
    WriteImage(file, kWidth, kHeight, false,
               [](int x, int y) { return (x * y + x) % 3 ? 0x203040u : 0xF0E0D0u; });
}

std::string Fill(std::string command, const testsupport::TempDir& dir) {
  for (const auto& [key, name] : {std::pair{"{in}", "in.pam"},
                                  {"{ppm}", "in.ppm"},
                                  {"{bmp}", "out.bmp"},
                                  {"{ref}", "ref.pam"}})
    for (size_t at; (at = command.find(key)) != std::string::npos;)
      command.replace(at, std::string(key).size(), dir.File(name));
  return command;
}

class BmpFromTools : public testing::TestWithParam<TToolCase> {};

TEST_P(BmpFromTools, ReadsAsTheToolDecodes) {
  const TToolCase& c = GetParam();
  for (const char* tool : {"convert", "ppmtobmp", "bmptopnm", "pamtopnm"})
    if (!testsupport::HaveTool(tool)) GTEST_SKIP() << tool << " is missing";
  testsupport::TempDir dir;
  MakeSource(c.source, dir.File("in.pam"));
  ASSERT_EQ(testsupport::Run(Fill("pamtopnm {in} > {ppm} 2>/dev/null || true", dir)), 0);
  ASSERT_EQ(testsupport::Run(Fill(c.write, dir) + " 2>/dev/null"), 0) << Fill(c.write, dir);
  std::string reference = dir.File("in.pam");
  if (*c.decode) {
    ASSERT_EQ(testsupport::Run(Fill(c.decode, dir) + " 2>/dev/null"), 0);
    reference = dir.File("ref.pam");
  }
  const Image expected = testsupport::ReadNetpbm(reference);
  TBitmap bitmap;
  ReadBmp(testsupport::ReadFile(dir.File("out.bmp")), bitmap);
  EXPECT_EQ(bitmap.PixelFormat(), c.format);
  ASSERT_EQ(bitmap.Width(), expected.width);
  ASSERT_EQ(bitmap.Height(), expected.height);
  const uint32_t keep = 0xFFu << (8 - c.channelBits) & 0xFF;
  const uint32_t mask = keep << 24 | keep << 16 | keep << 8 | keep;
  int differ = 0;
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x) {
      const TColor color = bitmap.GetPixel(x, y);
      const uint32_t alpha = bitmap.HasAlpha() ? bitmap.ScanLine(y)[4 * x + 3] : 255;
      const uint32_t ours = alpha << 24 | uint32_t{GetRValue(color)} << 16 |
                            uint32_t{GetGValue(color)} << 8 | GetBValue(color);
      const uint32_t theirs = expected.pixels[static_cast<size_t>(y) * expected.width + x];
      if ((ours & mask) != (theirs & mask) && differ++ < 3)
        ADD_FAILURE() << "(" << x << "," << y << "): " << std::hex << ours << " instead of "
                      << theirs;
    }
  EXPECT_EQ(differ, 0);
}

constexpr const char* kNetpbm = "bmptopnm {bmp} > {ref}";
constexpr const char* kMagick = "convert {bmp} -depth 8 {ref}";
using enum TPixelFormat;

// Precision: with n bits per channel we compare the top n bits, so that scaling n-bit values
// to 8 bits by rounding (ours) and by copying bits down (the tools') count as equal.
const TToolCase kTools[] = {
    {"NetpbmWindows24", "rgb", "ppmtobmp -windows -bpp 24 {ppm} > {bmp}", kNetpbm, pf24bit, 8},
    {"NetpbmOs2Core24", "rgb", "ppmtobmp -os2 -bpp 24 {ppm} > {bmp}", kNetpbm, pf24bit, 8},
    {"NetpbmWindows8", "pal256", "ppmtobmp -windows -bpp 8 {ppm} > {bmp}", kNetpbm, pf8bit, 8},
    {"NetpbmOs2Core8", "pal256", "ppmtobmp -os2 -bpp 8 {ppm} > {bmp}", kNetpbm, pf8bit, 8},
    {"NetpbmWindows4", "pal16", "ppmtobmp -windows -bpp 4 {ppm} > {bmp}", kNetpbm, pf4bit, 8},
    {"NetpbmOs2Core4", "pal16", "ppmtobmp -os2 -bpp 4 {ppm} > {bmp}", kNetpbm, pf4bit, 8},
    {"NetpbmWindows1", "pal2", "ppmtobmp -windows -bpp 1 {ppm} > {bmp}", kNetpbm, pf1bit, 8},
    {"MagickBmp3", "rgb", "convert {in} BMP3:{bmp}", kNetpbm, pf24bit, 8},
    {"MagickBmp2Core", "rgb", "convert {in} BMP2:{bmp}", kNetpbm, pf24bit, 8},
    {"MagickV5", "rgb", "convert {in} BMP:{bmp}", kMagick, pf24bit, 8},
    {"MagickPalette8", "pal256", "convert {in} +dither -type Palette -compress None BMP3:{bmp}",
     kNetpbm, pf8bit, 8},
    {"MagickPalette4", "pal16", "convert {in} +dither -type Palette BMP3:{bmp}", kNetpbm, pf4bit,
     8},
    {"MagickBilevel", "pal2", "convert {in} +dither -type Bilevel BMP3:{bmp}", kNetpbm, pf1bit, 8},
    // Its RLE8 rows overrun when the width is not a multiple of 4: the source decides.
    {"MagickRle8", "pal256", "convert {in} +dither -type Palette -compress RLE BMP3:{bmp}", "",
     pf8bit, 8},
    {"MagickRgb555", "rgb", "convert {in} -define bmp:subtype=RGB555 BMP:{bmp}", kMagick, pf15bit,
     5},
    {"MagickRgb565", "rgb", "convert {in} -define bmp:subtype=RGB565 BMP:{bmp}", kMagick, pf16bit,
     5},
    {"MagickArgb4444", "alpha", "convert {in} -define bmp:subtype=ARGB4444 BMP:{bmp}", kMagick,
     pf32bit, 4},
    {"MagickArgb1555", "alpha", "convert {in} -define bmp:subtype=ARGB1555 BMP:{bmp}", kMagick,
     pf32bit, 1},
    {"MagickArgb8888", "alpha", "convert {in} BMP:{bmp}", kMagick, pf32bit, 8}};

INSTANTIATE_TEST_SUITE_P(Tools, BmpFromTools, testing::ValuesIn(kTools),
                         [](const auto& test) { return std::string(test.param.name); });

} // namespace
