// GIF files written by independent encoders (netpbm, ImageMagick) at test time and the public
// GIF suites, decoded and compared pixel for pixel with giftopnm or the suite's references.
#include "ReferencePixels.h"
#include "TestSupport.h"
#include "graphics/Streams.h"
#include "import/SGIFImg.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace fs = std::filesystem;
using referencetest::SamePixels;
using referencetest::WritePattern;
using testsupport::Image;

namespace {

using Bytes = std::vector<uint8_t>;

TSGIFBitmap LoadFile(const std::string& file) {
  TSGIFBitmap bitmap;
  bitmap.LoadFromFile(file);
  return bitmap;
}

Image GiftopnmOf(const testsupport::TempDir& dir, const std::string& gif) {
  std::string out = dir.File("reference.ppm");
  if (testsupport::Run("giftopnm '" + gif + "' > '" + out + "' 2>/dev/null") != 0) return {};
  return testsupport::ReadNetpbm(out);
}

// Moves the global colour table into the first image descriptor and puts an inverted copy in
// its place, so that a decoder that ignores the local table shows wrong colours.
Bytes WithLocalTable(Bytes gif) {
  size_t table = size_t(3) << ((gif[10] & 7) + 1);
  Bytes colors(gif.begin() + 13, gif.begin() + 13 + long(table));
  for (size_t i = 13; i < 13 + table; ++i)
    gif[i] = uint8_t(~gif[i]);
  size_t pos = 13 + table;
  while (gif[pos] == 0x21) {
    pos += 2;
    while (gif[pos] != 0)
      pos += gif[pos] + 1u;
    ++pos;
  }
  gif[pos + 9] |= uint8_t(0x80 | (gif[10] & 7));
  gif.insert(gif.begin() + long(pos + 10), colors.begin(), colors.end());
  return gif;
}

TEST(GifReference, FilesOfIndependentEncodersDecodeAsGiftopnmDoes) {
  for (const char* tool : {"ppmtogif", "pamtogif", "giftopnm", "convert"})
    if (!testsupport::HaveTool(tool)) GTEST_SKIP() << tool << " is not installed";
  testsupport::TempDir dir;
  const std::string in = dir.File("in.ppm"), second = dir.File("second.ppm"),
                    gif = dir.File("test.gif");
  struct Case {
    int width, height, colors;
    std::string command; // writes `gif` from `in` (and `second`)
  } cases[] = {
      {37, 23, 2, "ppmtogif '" + in + "' > '" + gif + "'"},
      {37, 23, 3, "ppmtogif -interlace '" + in + "' > '" + gif + "'"},
      {64, 48, 16, "pamtogif -comment 'a comment of this test' '" + in + "' > '" + gif + "'"},
      {19, 9, 17, "pamtogif -interlace '" + in + "' > '" + gif + "'"},
      {300, 200, 256, "ppmtogif '" + in + "' > '" + gif + "'"},
      {300, 200, 256, "convert '" + in + "' '" + gif + "'"},
      {101, 77, 100, "convert '" + in + "' -interlace GIF '" + gif + "'"},
      {13, 8, 5, "convert '" + in + "' -comment 'some words' '" + gif + "'"},
      {40, 30, 60, "convert -delay 10 '" + in + "' '" + second + "' -loop 0 '" + gif + "'"},
      {3, 1, 2, "convert '" + in + "' -interlace GIF '" + gif + "'"},
  };
  unsigned seed = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command + " (" + std::to_string(c.colors) + " colours)");
    WritePattern(in, c.width, c.height, c.colors, seed++);
    WritePattern(second, c.width / 2, c.height, 7, seed++);
    ASSERT_EQ(testsupport::Run(c.command + " 2>/dev/null"), 0);
    Image ref = GiftopnmOf(dir, gif);
    TSGIFBitmap b = LoadFile(gif);
    EXPECT_EQ(b.BitsPerPixel(), 8);
    EXPECT_EQ(b.Palette().size(), 256u);
    EXPECT_TRUE(SamePixels(b, ref));

    testsupport::WriteFile(gif, WithLocalTable(testsupport::ReadFile(gif)));
    EXPECT_TRUE(SamePixels(LoadFile(gif), GiftopnmOf(dir, gif))) << "with a local colour table";
  }
}

// Where the suite's expectation and ours part, and why.
const std::map<std::string, std::string> kAncellDecisions = {
    // Zero-sized images, a colour table cut short, the trailer where an image should be.
    {"no-data", "Bad File"},
    {"zero-width", "Bad File"},
    {"zero-height", "Bad File"},
    {"zero-size", "Bad File"},
    {"image-zero-width", "Bad File"},
    {"image-zero-height", "Bad Read"},
    {"image-zero-size", "Bad Read"},
    // Widths above 8001 are refused; 65535 is a negative height as a signed 16-bit value.
    {"max-width", "Bad File"},
    {"max-height", "Bad File"},
    {"max-size", "Bad File"},
    // Minimum code sizes above 8 are refused.
    {"max-codes", "Bad Symbol Size"},
    {"overflow-codes", "Bad Symbol Size"},
    {"overflow-codes-max", "Bad Symbol Size"},
    // Data that ends without its end code is refused rather than shown in part.
    {"no-eoi", "Unexpected End"},
    {"no-clear-and-eoi", "Unexpected End"},
    {"invalid-code", "Bad LZW Code"},
};

// Suite tests whose reference is not the first image alone: an image smaller than the screen
// or placed in it, or a reference composed of several images. The first image still loads.
const std::set<std::string> kAncellComposed = {
    "image-inside-bg",  "image-outside-bg",
    "image-overlap-bg", "images-combine",
    "images-overlap",   "high-color",
    "missing-pixels",   "dispose-restore-background",
    "plain-text",       "dispose-restore-previous",
    "invalid-colors",
};

TEST(GifReference, AncellSuite) {
  fs::path dir = testsupport::CorporaDir() / "gif-ancell";
  if (!fs::exists(dir / "manifest.tsv")) GTEST_SKIP() << "gif-ancell corpus not present";
  std::ifstream manifest(dir / "manifest.tsv");
  std::string line;
  std::getline(manifest, line);
  int compared = 0;
  while (std::getline(manifest, line)) {
    std::istringstream fields(line);
    std::string test, input, version, screen, frames, firstRef;
    std::getline(fields, test, '\t'), std::getline(fields, input, '\t');
    std::getline(fields, version, '\t'), std::getline(fields, screen, '\t');
    std::getline(fields, frames, '\t'), std::getline(fields, firstRef, ' ');
    SCOPED_TRACE(test);
    std::string error;
    TSGIFBitmap b;
    try {
      b.LoadFromFile((dir / input).string());
    } catch (const EGIFException& e) {
      error = e.what();
    }
    if (auto decision = kAncellDecisions.find(test); decision != kAncellDecisions.end()) {
      EXPECT_EQ(error, decision->second);
    } else if (kAncellComposed.count(test) || firstRef.empty()) {
      EXPECT_EQ(error, "");
    } else {
      ASSERT_EQ(error, "");
      EXPECT_TRUE(SamePixels(b, testsupport::ReadNetpbm((dir / firstRef).string())));
      ++compared;
    }
  }
  EXPECT_GT(compared, 50);
}

// Other suites: every GIF decodes like giftopnm's first image, or fails as the table says.
TEST(GifReference, OtherSuitesDecodeAsGiftopnmDoes) {
  fs::path corpora = testsupport::CorporaDir();
  if (corpora.empty()) GTEST_SKIP() << "corpora not present";
  if (!testsupport::HaveTool("giftopnm")) GTEST_SKIP() << "giftopnm is not installed";
  // giftopnm refuses an image that reaches beyond the logical screen; the screen size is
  // not used here, the first image loads at its own size.
  const std::set<std::string> beyondScreen = {"issue_1455_oversized.gif", "oob.gif",
                                              "animated_transparent_loop_frames_out_of_bounds.gif"};
  testsupport::TempDir temp;
  int compared = 0;
  for (const char* suite : {"gif-peterdn", "gif-giflib", "image-rs"}) {
    if (!fs::is_directory(corpora / suite)) continue;
    for (const auto& entry : fs::recursive_directory_iterator(corpora / suite)) {
      if (entry.path().extension() != ".gif") continue;
      std::string name = entry.path().filename().string();
      SCOPED_TRACE(entry.path().string());
      std::string error;
      TSGIFBitmap b;
      try {
        b.LoadFromFile(entry.path().string());
      } catch (const EGIFException& e) {
        error = e.what();
      }
      ASSERT_EQ(error, "");
      if (beyondScreen.count(name)) continue;
      EXPECT_TRUE(SamePixels(b, GiftopnmOf(temp, entry.path().string())));
      ++compared;
    }
  }
  EXPECT_GT(compared, 10);
}

} // namespace
