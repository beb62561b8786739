// TPicture and its file-format registry.
#include "bmp/Picture.h"
#include "TestSupport.h"
#include "bmp/Bitmap.h"
#include "io/Exceptions.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

TEST(Picture, ExtensionsAreFoundWhateverTheirCaseTheNewestRowWinning) {
  for (const char* extension : {"bmp", "BMP", "Bmp"})
    EXPECT_EQ(TPicture::FindFileFormat(extension)->description, "BMP-Format");
  EXPECT_EQ(TPicture::FindFileFormat("xyz"), nullptr);
  // Taken from the name part only.
  const std::pair<const char*, const char*> cases[] = {
      {"a.JPG", "jpg"}, {"/d.ir/file", ""}, {"/dir/x.tar.GIF", "gif"}, {"noext", ""},
      {"dot.", ""},     {".GIF", "gif"},    {"/dir/.gif", "gif"},
  };
  for (const auto& [name, extension] : cases)
    EXPECT_EQ(PictureFileExtension(name), extension) << name;
}

TEST(Picture, StoresACopyAndReportsEveryChange) {
  TempDir dir;
  TBitmap bitmap;
  bitmap.SetSize(4, 5);
  bitmap.SaveToFile(dir.File("a.bmp"));
  int changes = 0;
  TPicture picture;
  picture.SetOnChange([&] { ++changes; });
  picture.SetGraphic(bitmap);
  bitmap.SetSize(9, 9);
  EXPECT_EQ(picture.Width(), 4);
  EXPECT_EQ(changes, 1);
  static_cast<TBitmap*>(picture.Graphic())->Modified();
  EXPECT_EQ(changes, 2);
  picture.LoadFromFile(dir.File("a.bmp"));
  EXPECT_EQ(changes, 3);
  EXPECT_NE(dynamic_cast<TBitmap*>(picture.Graphic()), nullptr);
  picture.SetGraphic(nullptr);
  EXPECT_EQ(picture.Width(), 0);
  EXPECT_EQ(changes, 4);
  // Failed loads change nothing, and name an unknown extension.
  picture.SetGraphic(bitmap);
  for (const auto& [name, message] : {std::pair{dir.File("missing.bmp"), ""},
                                      {"/tmp/file.xyz", "Unknown picture file extension (.xyz)"},
                                      {"/tmp/file", "Unknown picture file extension (.)"}}) {
    const std::string text = ThrownText<Exception>([&] { picture.LoadFromFile(name); });
    EXPECT_TRUE(*message ? text == message : !text.empty()) << text;
  }
  EXPECT_EQ(picture.Width(), 9);
  EXPECT_EQ(changes, 5);
}

} // namespace
