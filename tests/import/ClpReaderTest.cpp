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

std::vector<uint8_t> WithoutFileHeader(const std::vector<uint8_t>& bmp) {
  return std::vector<uint8_t>(bmp.begin() + 14, bmp.end());
}

TSClpDIBitmap Load(const std::vector<uint8_t>& bytes) {
  TReadOnlyMemoryStream stream(bytes);
  TSClpDIBitmap bitmap;
  bitmap.LoadFromStream(stream);
  return bitmap;
}

void ExpectSamePicture(const TBitmap& actual, const TBitmap& expected) {
  ASSERT_EQ(actual.Width(), expected.Width());
  ASSERT_EQ(actual.Height(), expected.Height());
  EXPECT_EQ(actual.PixelFormat(), expected.PixelFormat());
  EXPECT_EQ(actual.Palette(), expected.Palette());
  EXPECT_TRUE(std::equal(actual.Bits().begin(), actual.Bits().end(), expected.Bits().begin(),
                         expected.Bits().end()));
}

// BMP images of each depth, made by netpbm, wrapped as the CF_DIB entry behind a text
// format and a device-dependent bitmap: the picture is the BMP's, with a correct file header.
class ClpDepth : public testing::TestWithParam<int> {};

TEST_P(ClpDepth, LoadsTheBitmapThatWentIn) {
  if (!testsupport::HaveTool("ppmtobmp")) GTEST_SKIP() << "netpbm is not installed";
  int bits = GetParam();
  testsupport::TempDir dir;
  std::string ppm = "P6\n13 7\n255\n";
  std::vector<uint8_t> bytes(ppm.begin(), ppm.end());
  int colors = bits == 24 ? 4096 : 1 << bits;
  for (int i = 0; i < 13 * 7; ++i) {
    int c = (i * 7 + i / 13) % colors;
    bytes.insert(bytes.end(), {uint8_t(c * 16), uint8_t(c * 5), uint8_t(255 - c)});
  }
  testsupport::WriteFile(dir.File("in.ppm"), bytes);
  ASSERT_EQ(testsupport::Run("ppmtobmp -bpp " + std::to_string(bits) + " " + dir.File("in.ppm") +
                             " > " + dir.File("in.bmp") + " 2>/dev/null"),
            0);
  auto bmp = testsupport::ReadFile(dir.File("in.bmp"));
  TBitmap expected;
  TReadOnlyMemoryStream bmpStream(bmp);
  expected.LoadFromStream(bmpStream);

  auto clp =
      ClipboardFile({{1, {'t', 'e', 'x', 't', 0}}, {2, {1, 2, 3}}, {8, WithoutFileHeader(bmp)}});
  ExpectSamePicture(Load(clp), expected);

  TSCLIPDIB reader;
  TReadOnlyMemoryStream clpStream(clp);
  reader.LoadClipboardFile(clpStream);
  auto out = reader.Output().Bytes();
  ASSERT_EQ(out.size(), bmp.size());
  EXPECT_EQ(LoadU32LE(&out[2]), bmp.size()) << "file size";
  EXPECT_EQ(LoadU32LE(&out[10]), LoadU32LE(&bmp[10])) << "pixel-data offset";
}

INSTANTIATE_TEST_SUITE_P(Depths, ClpDepth, testing::Values(1, 4, 8, 24));

// The pixels start after the header, the colour table and the masks a 40-byte header is
// followed by; the DIB is the file's last entry, so the data length decides nothing here.
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
