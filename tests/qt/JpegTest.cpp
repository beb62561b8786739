// TJPEGImage's refusals, with libjpeg's own texts or the size limit's, are rows of the corpus
// manifest (tests/data/regressions/jpeg); its pixels are held against djpeg by the real-world
// corpus (baseline, progressive, greyscale, CMYK, YCCK and truncated files).
#include "TestSupport.h"
#include "io/Exceptions.h"
#include "io/Streams.h"
#include "qt/Icon.h"
#include "qt/JPEGImage.h"
#include "qt/Metafile.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

TEST(Jpeg, ARefusalRaisesInvalidGraphicAndKeepsTheImage) {
  TJPEGImage jpeg;
  jpeg.LoadFromFile(VANTREL_TEST_DATA "/regressions/loader/jpeg-named.JPEG");
  const int width = jpeg.Width();
  ASSERT_GT(width, 0);
  const std::vector<std::string> files = KeptFiles("jpeg", "! ");
  EXPECT_GE(files.size(), 4u);
  for (const std::string& file : files) {
    EXPECT_THROW(jpeg.LoadFromFile(file), EInvalidGraphic) << file;
    EXPECT_EQ(jpeg.Width(), width) << file;
  }
}

// A picture is read from the stream's position on: a stream at its end holds none, though the
// bytes before that position are a whole picture.
TEST(Graphics, AStreamAtItsEndHoldsNoPicture) {
  auto atEnd = [](const std::string& name, TGraphic& picture) {
    TMemoryStream stream;
    stream.LoadFromFile(VANTREL_TEST_DATA "/" + name);
    stream.SetPosition(stream.Size());
    EXPECT_THROW(picture.LoadFromStream(stream), EInvalidGraphic) << name;
  };
  TJPEGImage jpeg;
  atEnd("regressions/loader/jpeg-named.JPEG", jpeg);
  TMetafile metafile;
  atEnd("text.wmf", metafile);
  TIcon icon;
  atEnd("regressions/loader/icon.ico", icon);
}

} // namespace
