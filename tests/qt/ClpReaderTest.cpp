// The clipboard file reader: the BMP file it makes of the CF_DIB entry, and each refusal.
#include "HandMade.h"
#include "TestSupport.h"
#include "formats/SClpDib.h"
#include "io/ByteReader.h"
#include "io/Streams.h"
#include "qt/BitmapQt.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<uint8_t>;

using testsupport::ClipboardFile;
using testsupport::Dib;

// The BMP file made of the first CF_DIB entry.
Bytes BmpOf(const Bytes& clipboardFile) {
  TSCLIPDIB reader;
  TReadOnlyMemoryStream stream(clipboardFile);
  reader.LoadClipboardFile(stream);
  return {reader.Output().Bytes().begin(), reader.Output().Bytes().end()};
}

// Bad files and their texts are rows of the corpus manifest (tests/data/regressions/clp). A
// refused file keeps the picture loaded before; a file of no entries loads an empty one.
TEST(ClpReader, RefusedAndEmptyFiles) {
  TSClpDIBitmap bitmap;
  const Bytes good = ClipboardFile({{8, Dib({.after = 8})}}), bad = ClipboardFile({{8, {40, 0}}});
  const Bytes none = ClipboardFile({});
  TReadOnlyMemoryStream goodStream(good), badStream(bad), noneStream(none);
  bitmap.LoadFromStream(goodStream);
  EXPECT_THROW(bitmap.LoadFromStream(badStream), EDIBClpException);
  EXPECT_EQ(bitmap.Width(), 2);
  bitmap.LoadFromStream(noneStream);
  EXPECT_TRUE(bitmap.Empty());
}

// Real CF_DIB data from the corpora: a 40-byte header with bit fields, and a version-5
// header that Windows followed by the masks once more.
TEST(ClpReader, RealClipboardBitmaps) {
  const std::filesystem::path root = testsupport::CorporaDir();
  if (root.empty()) GTEST_SKIP() << "corpora are absent";
  const struct {
    const char* dib;
    uint32_t pixelOffset;
    const char* target; // the picture's pixels, if known
  } cases[] = {{"pillow/Tests/images/clipboard.dib", 14 + 40 + 12,
                "pillow/Tests/images/clipboard_target.png"},
               {"image-rs/tests/assets/bmp/windows_dibv5_dump.bin", 14 + 124 + 12, nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dib);
    const Bytes bmp =
        BmpOf(ClipboardFile({{2, {0}}, {8, testsupport::ReadFile((root / c.dib).string())}}));
    EXPECT_EQ(LoadU32LE(bmp.data() + 10), c.pixelOffset);
    const TBitmap bitmap = testsupport::Loaded<TBitmap>(bmp);
    if (c.target) {
      EXPECT_EQ(BitmapToQImage(bitmap).convertToFormat(QImage::Format_RGB32),
                QImage((root / c.target).string().c_str()).convertToFormat(QImage::Format_RGB32));
    }
  }
}

} // namespace
