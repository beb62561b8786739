#include "TestSupport.h"
#include "graphics/ByteReader.h"
#include "graphics/Streams.h"
#include "import/SClpDib.h"

#include <QImage>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

struct Entry {
  uint16_t format;
  std::vector<uint8_t> data;
};

// A clipboard file with the entries in the given order; `lengthExtra` is added to the last
// entry's stored data length.
std::vector<uint8_t> ClipboardFile(const std::vector<Entry>& entries, uint16_t identifier = 50000,
                                   uint32_t lengthExtra = 0) {
  std::vector<uint8_t> out(4 + 89 * entries.size());
  StoreU16LE(&out[0], identifier);
  StoreU16LE(&out[2], static_cast<uint16_t>(entries.size()));
  for (size_t i = 0; i < entries.size(); ++i) {
    uint8_t* entry = &out[4 + 89 * i];
    StoreU16LE(entry, entries[i].format);
    uint32_t extra = i + 1 == entries.size() ? lengthExtra : 0;
    StoreU32LE(entry + 2, static_cast<uint32_t>(entries[i].data.size()) + extra);
    StoreU32LE(entry + 6, static_cast<uint32_t>(out.size()));
    std::memcpy(entry + 10, "Name", 4);
    out.insert(out.end(), entries[i].data.begin(), entries[i].data.end());
  }
  return out;
}

TSClpDIBitmap Load(const std::vector<uint8_t>& bytes) {
  TReadOnlyMemoryStream stream(bytes);
  TSClpDIBitmap bitmap;
  bitmap.LoadFromStream(stream);
  return bitmap;
}

// The CF_DIB entry becomes a BMP file: a file header whose size and pixel offset count the
// header, the colour table and the masks a 40-byte header is followed by, then the DIB.
TEST(ClpReader, PixelOffsetCountsTableAndMasks) {
  const struct {
    uint16_t bpp;
    uint32_t compression, colorsUsed, offset;
  } cases[] = {{24, 0, 0, 54},      {8, 0, 0, 54 + 1024}, {8, 0, 3, 54 + 12},
               {16, 3, 0, 54 + 12}, {32, 6, 0, 54 + 16},  {32, 0, 0, 54}};
  for (const auto& c : cases) {
    std::vector<uint8_t> dib(40 + 4096);
    StoreU32LE(&dib[0], 40), StoreU32LE(&dib[4], 2), StoreU32LE(&dib[8], 1);
    StoreU16LE(&dib[12], 1), StoreU16LE(&dib[14], c.bpp);
    StoreU32LE(&dib[16], c.compression), StoreU32LE(&dib[32], c.colorsUsed);
    TSCLIPDIB reader;
    auto clp = ClipboardFile({{8, dib}});
    TReadOnlyMemoryStream stream(clp);
    reader.LoadClipboardFile(stream);
    EXPECT_EQ(LoadU32LE(reader.Output().Memory() + 10), c.offset) << c.bpp << "/" << c.compression;
    EXPECT_EQ(LoadU32LE(reader.Output().Memory() + 2), 14 + dib.size());
    const auto out = reader.Output().Bytes();
    EXPECT_TRUE(std::equal(out.begin() + 14, out.end(), dib.begin(), dib.end()));
  }
}

TEST(ClpReader, FormatCountZeroLoadsAnEmptyPicture) {
  TSClpDIBitmap bitmap;
  bitmap.SetSize(3, 3);
  auto empty = ClipboardFile({});
  TReadOnlyMemoryStream stream(empty);
  bitmap.LoadFromStream(stream);
  EXPECT_TRUE(bitmap.Empty());
}

TEST(ClpReader, RefusesBadFiles) {
  // A 2 × 1 24-bit DIB.
  std::vector<uint8_t> dib(40 + 8);
  StoreU32LE(&dib[0], 40);
  StoreU32LE(&dib[4], 2);
  StoreU32LE(&dib[8], 1);
  StoreU16LE(&dib[12], 1);
  StoreU16LE(&dib[14], 24);
  auto badHeader = dib;
  StoreU32LE(&badHeader[0], 41);
  auto tinyTable = dib; // an 8-bit header whose colour table cannot be there
  StoreU16LE(&tinyTable[14], 8);
  auto farOffset = ClipboardFile({{1, {'x'}}, {8, dib}});
  StoreU32LE(&farOffset[4 + 89 + 6], 0xFFFFFFF0);
  auto cutDirectory = ClipboardFile({{8, dib}});
  cutDirectory.resize(50);
  auto countShort = ClipboardFile({{1, {'x'}}, {8, dib}}); // the DIB entry is not counted
  StoreU16LE(&countShort[2], 1);
  auto wrongLayout = ClipboardFile({{8, dib}});
  wrongLayout[0] = 0x51;
  const std::string noDib = "The source doesn't contain DIB image";
  const std::string beyond = "The DIB image of the clipboard file lies beyond the end of the file";
  const std::string invalid = "The DIB image of the clipboard file has no valid BITMAPINFOHEADER";
  struct Bad {
    std::vector<uint8_t> bytes;
    std::string message;
  } cases[] = {
      {{}, "There was not a clipboard file-format source"},
      {wrongLayout, "There was not a clipboard file-format source"},
      {ClipboardFile({{1, {'h', 'i', 0}}, {2, {0}}}), noDib},
      {cutDirectory, noDib},
      {countShort, noDib},
      {ClipboardFile({{8, dib}}, 50000, 1), beyond},
      {farOffset, beyond},
      {ClipboardFile({{8, badHeader}}), invalid},
      {ClipboardFile({{8, tinyTable}}), invalid},
      {ClipboardFile({{8, {40, 0}}}), invalid},
      {ClipboardFile({{8, {}}}), invalid}, // an empty DIB as the file's last bytes
  };
  TSClpDIBitmap bitmap = Load(ClipboardFile({{8, dib}}));
  for (const auto& bad : cases) {
    TReadOnlyMemoryStream stream(bad.bytes);
    try {
      bitmap.LoadFromStream(stream);
      ADD_FAILURE() << "accepted, expected " << bad.message;
    } catch (const EDIBClpException& e) {
      EXPECT_EQ(e.Message(), bad.message);
    }
    EXPECT_EQ(bitmap.Width(), 2) << "the previous picture stays";
  }
}

// Real CF_DIB data from the corpora: a 40-byte header with bit fields, and a version-5
// header that Windows followed by the masks once more.
TEST(ClpCorpus, RealClipboardBitmaps) {
  fs::path root = testsupport::CorporaDir();
  if (root.empty()) GTEST_SKIP() << "corpora are absent";
  struct Case {
    fs::path dib;
    uint32_t pixelOffset;
  } cases[] = {{root / "pillow/Tests/images/clipboard.dib", 14 + 40 + 12},
               {root / "image-rs/tests/assets/bmp/windows_dibv5_dump.bin", 14 + 124 + 12}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dib.string());
    auto dib = testsupport::ReadFile(c.dib.string());
    TSCLIPDIB reader;
    auto clp = ClipboardFile({{2, {0}}, {8, dib}});
    TReadOnlyMemoryStream stream(clp);
    reader.LoadClipboardFile(stream);
    EXPECT_EQ(LoadU32LE(reader.Output().Memory() + 10), c.pixelOffset);
    TBitmap bitmap;
    try {
      bitmap.LoadFromStream(reader.Output());
    } catch (const EInvalidGraphic& e) {
      GTEST_SKIP() << "the BMP reader does not read this variant yet: " << e.Message();
    }
    // The first stored pixel is the bottom-left one; the masks read as pixels would be red.
    TColor bottomLeft = bitmap.GetPixel(0, bitmap.Height() - 1);
    EXPECT_NE(bottomLeft & 0xFFFFFF, 0x0000FFu);
    fs::path target = c.dib.parent_path() / "clipboard_target.png";
    if (c.dib.filename() == "clipboard.dib") {
      QImage reference(target.string().c_str());
      ASSERT_EQ(bitmap.Width(), reference.width());
      ASSERT_EQ(bitmap.Height(), reference.height());
      int mismatches = 0;
      for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
          QRgb q = reference.pixel(x, y);
          mismatches += bitmap.GetPixel(x, y) != TColor(qRed(q) | qGreen(q) << 8 | qBlue(q) << 16);
        }
      EXPECT_EQ(mismatches, 0);
    }
  }
}

} // namespace
