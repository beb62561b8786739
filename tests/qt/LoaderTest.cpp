// TImageLoader and the command line's readers. Which file the loader reads how, by name and
// by content, and what it refuses, are rows of the corpus manifest (tests/data/regressions/
// loader); here: a refusal keeps the picture, and a named format uses its class alone.
#include "TestSupport.h"
#include "bmp/Picture.h"
#include "io/Exceptions.h"
#include "qt/FormatReader.h"
#include "qt/SLoadImg.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

std::string Kept(const std::string& name) {
  return std::string(VANTREL_TEST_DATA "/regressions/loader/") + name;
}

TEST(Loader, NothingReadableRaisesNotKnownFormatAndKeepsThePreviousImage) {
  TImageLoader loader;
  loader.tryLoadImageFile(Kept("jpeg-named.xyz"));
  const TBitmap before = loader;
  for (const char* name : {"empty.dat", "text.txt", "missing.gif", "empty-named.jpg"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ThrownText<Exception>([&] { loader.tryLoadImageFile(Kept(name)); }),
              "Not Known Format");
    ASSERT_EQ(loader.Width(), before.Width());
    EXPECT_TRUE(std::equal(loader.Bits().begin(), loader.Bits().end(), before.Bits().begin()));
  }
  loader.tryLoadImageFile(Kept("icon.ico"));
  EXPECT_EQ(loader.Width(), 32);
}

TEST(Loader, FormatOptionUsesOneClassAndItsOwnError) {
  // A JPEG named .ico read as "JPG" is a row of the corpus manifest.
  TUniBitmap target;
  LoadByFormat("ICO", Kept("icon-named.dat"), target);
  EXPECT_EQ(target.Width(), 32);
  const struct {
    const char* format;
    const char* file;
    const char* message;
  } errors[] = {
      {"jpeg", "bmp-named.jpg", "Not a JPEG file"},
      {"ico", "jpeg-named.ico", "not an icon"},
      {"wmf", "jpeg-named.xyz", "not a Windows metafile"},
      {"tiff", "jpeg-named.xyz", "Unknown format \"tiff\" (expected one of bmp (dib), blz, "},
  };
  for (const auto& e : errors) {
    SCOPED_TRACE(e.format);
    const std::string text =
        ThrownText<Exception>([&] { LoadByFormat(e.format, Kept(e.file), target); });
    EXPECT_NE(text.find(e.message), std::string::npos) << text;
    EXPECT_EQ(target.Width(), 32);
  }
}

// The window's rule, which the window and the command line run: a name whose extension
// occurs in "*.BMP;*.DIB;*.BLZ" (also in part) is read directly, any other by the loader.
TEST(Loader, TheWindowsRuleReadsBitmapNamesDirectly) {
  const std::pair<const char*, bool> names[] = {
      {"x.bmp", true},   {"x.DIB", true},  {"x.Blz", true}, {"x.BM", true},     {"x.", true},
      {"x.bmpx", false}, {"x.gif", false}, {"x", false},    {"d.bmp/x", false}, {"x.b.gif", false}};
  for (const auto& [name, direct] : names) {
    TUniBitmap target;
    TImageLoader loader;
    bool readDirectly = false;
    const std::string text = ThrownText<Exception>([&] {
      LoadAsWindowDoes(Kept(name), target, loader, [&](const std::string& file, TUniBitmap&) {
        readDirectly = file == Kept(name);
        throw Exception("read directly");
      });
    });
    EXPECT_EQ(readDirectly, direct) << name;
    EXPECT_EQ(text, direct ? "read directly" : "Not Known Format") << name;
  }
  EXPECT_EQ(WindowExtension("/a.b/c.Blz"), ".BLZ");
  EXPECT_EQ(TPicture::FileFormats().size(), 13u);
}

} // namespace
