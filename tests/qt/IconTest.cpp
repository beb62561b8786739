// TIcon: icons made with icotool and ImageMagick, compared with icotool's extraction of the
// entry drawn over white.
#include "qt/Icon.h"
#include "TestSupport.h"
#include "io/Exceptions.h"
#include "io/Streams.h"
#include "qt/Canvas.h"
#include "qt/Undrawn.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

// A size × size test picture with three colours, a black dot and a transparent quarter.
std::string MakePng(const TempDir& dir, const std::string& name, int size) {
  const std::string s = std::to_string(size), h = std::to_string(size / 2);
  testsupport::Run("cd '" + dir.Path().string() + "' && convert -size " + s + "x" + s +
                   " xc:none -fill red -draw 'rectangle 0,0 " + h + "," + h +
                   "' -fill '#0000ff' -draw 'rectangle " + h + ",0 " + s + "," + h +
                   "' -fill '#00ff00' -draw 'rectangle 0," + h + " " + h + "," + s +
                   "' -fill black -draw 'point 1,1' PNG32:" + name);
  return dir.File(name);
}

// The entry icotool extracts, flattened onto white as the icon is drawn over a new bitmap.
Image ExtractedOverWhite(const TempDir& dir, const std::string& ico, int index) {
  testsupport::Run("icotool -x -i " + std::to_string(index) + " -o '" + dir.File("x.png") + "' '" +
                   ico + "' && convert '" + dir.File("x.png") +
                   "' -background white -flatten -depth 8 PPM:'" + dir.File("x.ppm") + "'");
  return ReadNetpbm(dir.File("x.ppm"));
}

TEST(Icon, ShowsTheRightEntryAsIcotoolExtractsIt) {
  if (!HaveTool("icotool") || !HaveTool("convert")) GTEST_SKIP();
  const struct {
    const char* options; // icotool's, before the input images
    std::vector<int> sizes;
    int entry;   // 1-based index of the entry that must be shown
    int damaged; // of an entry whose compression becomes unknown, or 0
  } cases[] = {
      {"-b 32", {32}, 1},        {"-b 24", {32}, 1},
      {"-b 8", {32}, 1},         {"-b 4", {32}, 1},
      {"-r", {32}, 1}, // a PNG entry
      {"", {16, 48, 32, 64}, 3}, {"--cursor --hotspot-x=3 --hotspot-y=5", {32}, 1},
      {"", {32, 32}, 2, 1}, // the chosen entry is damaged: the next readable one is shown
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    TempDir dir;
    std::string inputs;
    for (size_t i = 0; i < c.sizes.size(); ++i)
      inputs += " '" + MakePng(dir, "in" + std::to_string(i) + ".png", c.sizes[i]) + "'";
    const std::string ico = dir.File("t.ico");
    ASSERT_EQ(testsupport::Run("icotool -c -o '" + ico + "' " + c.options + inputs), 0);
    std::vector<uint8_t> bytes = ReadFile(ico);
    const size_t at = 16 * size_t(c.damaged) + 2; // the damaged entry's offset field
    if (c.damaged) bytes[(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16) + 16] = 9;
    const TIcon icon = Loaded<TIcon>(bytes);
    ASSERT_EQ(icon.Width(), 32);
    ASSERT_EQ(icon.Height(), 32);
    EXPECT_EQ(ComparePixels(RenderGraphic(icon, 32, 32), ExtractedOverWhite(dir, ico, c.entry), 1),
              "");
  }
}

TEST(Icon, MaskedPixelsShowWhatIsBelow) {
  // A hand-made 1-bit 32 × 32 icon with every mask case: opaque colour, transparent (mask 1,
  // colour black) and inverted (mask 1, colour white). 40 + 8 + 2 × 128 bytes of image.
  std::vector<uint8_t> ico =
      Hex("00 00 01 00 01 00 20 20 02 00 01 00 01 00 30 01 00 00 16 00 00 00 "
          "28 00 00 00 20 00 00 00 40 00 00 00 01 00 01 00");
  ico.resize(ico.size() + 24 + 8 + 256);
  std::fill_n(ico.end() - 4 - 256, 3, 255); // palette: black, white
  // Rows bottom-up; the top row's pixels 0 and 2 are white; 1 is transparent, 2 inverted.
  ico[22 + 48 + 31 * 4] = 0b10100000;
  ico[22 + 48 + 128 + 31 * 4] = 0b01100000;

  const TIcon icon = Loaded<TIcon>(ico);
  TBitmap canvas;
  canvas.SetSize(32, 32);
  canvas.Fill(RGB(0x20, 0x40, 0x60));
  StretchDraw(canvas, TRect{0, 0, 32, 32}, icon);
  EXPECT_EQ(canvas.GetPixel(0, 0), clWhite);
  EXPECT_EQ(canvas.GetPixel(1, 0), RGB(0x20, 0x40, 0x60));
  EXPECT_EQ(canvas.GetPixel(2, 0), RGB(0xDF, 0xBF, 0x9F));
  EXPECT_EQ(canvas.GetPixel(5, 5), clBlack);

  // Kept undrawn (the command line), a mask icon leaves nothing transparent over a blank image
  // (its masked pixels are raster operations on what lies below), so it is drawn as the window
  // draws it, and its transparent and inverted pixels do not turn black.
  TBitmap undrawn;
  std::vector<std::string> notes;
  EXPECT_FALSE(CopyUndrawn(icon, undrawn, notes));
}

// The damaged files, each with its text, are rows of the corpus manifest
// (tests/data/regressions/icon); each raises EInvalidGraphic and leaves no size behind.
TEST(Icon, DamagedFilesLeaveNoSize) {
  const std::vector<std::string> files = KeptFiles("ico", "! ");
  EXPECT_GE(files.size(), 7u);
  for (const std::string& file : files) {
    TIcon icon;
    EXPECT_THROW(icon.LoadFromFile(file), EInvalidGraphic) << file;
    EXPECT_EQ(icon.Width(), 0) << file;
  }
}

} // namespace
