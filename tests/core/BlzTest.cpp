#include "HandMade.h"
#include "TestSupport.h"
#include "blz/BlockPool.h"
#include "blz/BlzErrors.h"
#include "blz/UniBmp.h"
#include "io/Exceptions.h"
#include "io/Streams.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using testsupport::Dib;
using testsupport::Hex;
using testsupport::Loaded;
using testsupport::Noise;
using testsupport::Written;

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kWhite2x2 =
    Hex("42 4D 46 00 00 00 00 00 00 00 36 00 00 00 28 00 00 00 02 00 00 00 02 00 00 00 01 00 "
        "18 00 00 00 00 00 10 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
        "FF FF FF FF FF FF 00 00 FF FF FF FF FF FF 00 00");
const Bytes kWhite2x2Stream =
    Hex("4C 5A 52 57 46 00 00 00 2A 00 40 0A A2 42 4D 46 00 00 13 36 00 70 28 00 40 02 "
        "00 44 01 00 18 00 A0 00 29 00 00 10 00 00 03 00 FF 00 12 00 00 00 72 FF 00 00");
const Bytes kWhite2x2Packed =
    Hex("42 4D 46 00 00 00 46 00 00 00 36 00 00 00 28 00 00 00 02 00 00 00 02 00 00 00 "
        "01 00 18 00 4C 5A 52 57 10 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
        "00 00 00 00 00 00 0D 00 40 48 00 FF 00 12 00 00 00 72 FF 00 00");

Bytes Saved(const TUniBitmap& bitmap, bool packed) {
  return testsupport::Saved(
      [&](TStream& s) { packed ? bitmap.SaveToPackedBmpStream(s) : bitmap.SaveToBLZStream(s); });
}

TEST(BlzLayouts, WorkedPairIsWrittenByteForByteAndReadsBack) {
  TUniBitmap bitmap;
  bitmap.SetSize(2, 2);
  EXPECT_EQ(Written(bitmap), kWhite2x2);
  EXPECT_EQ(Saved(bitmap, false), kWhite2x2Stream);
  EXPECT_EQ(Saved(bitmap, true), kWhite2x2Packed);
  for (const Bytes& file : {kWhite2x2Stream, kWhite2x2Packed, kWhite2x2})
    EXPECT_EQ(Written(Loaded<TUniBitmap>(file)), kWhite2x2);
}

TEST(BlzLayouts, PackedHeaderKeepsTheBmpHeadersAndMovesTheCompressionField) {
  // A 64 × 64 picture of 16 bits per pixel (5-5-5) as the about box's logo is stored.
  TUniBitmap bitmap = Noise(64, 64, TPixelFormat::pf15bit, 7, 7);
  Bytes packed = Saved(bitmap, true);
  Bytes head(packed.begin(), packed.begin() + 58);
  EXPECT_EQ(head, Hex("42 4D 36 20 00 00 36 20 00 00 36 00 00 00 28 00 00 00 40 00 00 00 40 00 "
                      "00 00 01 00 10 00 4C 5A 52 57 00 20 00 00 00 00 00 00 00 00 00 00 00 00 "
                      "00 00 00 00 00 00 00 00 00 00"));
  EXPECT_EQ(Written(Loaded<TUniBitmap>(packed)), Written(bitmap));
}

// Hands the BMP image over from a copy, so the packer cannot use the rows in place.
class TCopyingWriter : public TUniBitmap {
public:
  void SaveToStream(TStream& stream) const override {
    TMemoryStream image;
    TBitmap::SaveToStream(image);
    stream.WriteBuffer(image.Memory(), image.Size());
  }
};

// Both layouts of every pixel format, below a piece, at its boundary and over many pieces:
// one thread and three write the same bytes, packing the rows in place the bytes of packing
// a copy, and every reader gives the BMP image back.
TEST(BlzLayouts, RoundTripsEveryPixelFormatAndPieceBoundary) {
  struct Case {
    int width, height;
    TPixelFormat format;
  };
  // 128 × 248 at 8 bits is a BMP image of 32822 bytes: its packed payload is exactly one
  // piece, so an empty record follows; 128 × 256 at 24 bits makes the stream's payload end
  // on a piece.
  const Case cases[] = {{128, 248, TPixelFormat::pf8bit},   {1, 1, TPixelFormat::pf1bit},
                        {33, 17, TPixelFormat::pf4bit},     {300, 211, TPixelFormat::pf24bit},
                        {97, 80, TPixelFormat::pf16bit},    {64, 129, TPixelFormat::pf32bit},
                        {0, 0, TPixelFormat::pf24bit},      {640, 480, TPixelFormat::pf15bit},
                        {1500, 700, TPixelFormat::pf24bit}, {1201, 700, TPixelFormat::pf1bit},
                        {128, 256, TPixelFormat::pf24bit},  {7, 3, TPixelFormat::pf32bit}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.width << "x" << c.height << " bpp " << BitsPerPixel(c.format));
    TUniBitmap bitmap = Noise(c.width, c.height, c.format, 1, 7);
    TCopyingWriter copy;
    copy.Assign(bitmap);
    Bytes plain = Written(bitmap);
    for (bool packed : {false, true}) {
      Bytes file = Saved(bitmap, packed);
      EXPECT_EQ(Saved(copy, packed), file);
      blocks::SetThreads(3);
      EXPECT_EQ(Saved(bitmap, packed), file);
      EXPECT_EQ(Written(Loaded<TUniBitmap>(file)), plain);
      blocks::SetThreads(0);
      EXPECT_EQ(Written(Loaded<TUniBitmap>(file)), plain);
      TMemoryStream restored;
      TBlzContents contents = RestoreBmpImage(file, restored);
      EXPECT_TRUE(std::ranges::equal(restored.Bytes(), plain));
      size_t payload = packed ? plain.size() - 54 : plain.size();
      EXPECT_EQ(contents.records, payload / 32768 + 1);
      if (payload % 32768 == 0) {
        EXPECT_EQ(Bytes(file.end() - 3, file.end()), Hex("01 00 80"));
      }
    }
  }
}

TEST(BlzLayouts, IncompressibleDataIsStoredInFullRecords) {
  const TUniBitmap bitmap = Noise(256, 256, TPixelFormat::pf24bit, 3);
  Bytes file = Saved(bitmap, false);
  // Record 1 is a stored block of 32769 bytes.
  EXPECT_EQ(Bytes(file.begin() + 8, file.begin() + 11), Hex("01 80 80"));
  EXPECT_GT(file.size(), Written(bitmap).size());
  EXPECT_EQ(Written(Loaded<TUniBitmap>(file)), Written(bitmap));
}

TEST(BlzRecognition, ContentDecidesNeverTheName) {
  Bytes reversed = kWhite2x2Stream;
  std::copy_n(Hex("57 52 5A 4C").begin(), 4, reversed.begin());
  Bytes wrongSize = kWhite2x2Stream;
  wrongSize[4] = 0x99;
  Bytes packedReversed = kWhite2x2Packed;
  std::copy_n(Hex("57 52 5A 4C").begin(), 4, packedReversed.begin() + 30);
  Bytes storedSizeOne = kWhite2x2Packed; // the stored size only says how much to expect
  storedSizeOne[6] = 1;
  for (const Bytes& file : {reversed, wrongSize, packedReversed, storedSizeOne})
    EXPECT_EQ(Written(Loaded<TUniBitmap>(file)), kWhite2x2);

  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("looks.bmp"), kWhite2x2Stream);
  testsupport::WriteFile(dir.File("looks.blz"), kWhite2x2);
  for (const char* name : {"looks.bmp", "looks.blz"}) {
    TUniBitmap bitmap;
    bitmap.LoadFromFile(dir.File(name));
    EXPECT_EQ(Written(bitmap), kWhite2x2) << name;
  }
  // Whatever the stream's position, the file is read from its start.
  TMemoryStream s;
  s.WriteBuffer(kWhite2x2Packed.data(), static_cast<int64_t>(kWhite2x2Packed.size()));
  s.SetPosition(30);
  TUniBitmap bitmap;
  bitmap.LoadFromStream(s);
  EXPECT_EQ(Written(bitmap), kWhite2x2);
  // Each layout saved to a file loads back through the BLZ file reader.
  const TUniBitmap noisy = Noise(77, 33, TPixelFormat::pf4bit, 4, 7);
  noisy.SaveToBLZFile(dir.File("a.blz"));
  noisy.SaveToPackedBmpFile(dir.File("b.bmp"));
  for (const char* name : {"a.blz", "b.bmp"}) {
    TUniBitmap loaded;
    loaded.LoadFromBLZFile(dir.File(name));
    EXPECT_EQ(Written(loaded), Written(noisy)) << name;
  }
}

TEST(BlzRecognition, PackedBitmapWithoutStoredSizeLeavesTheImageAlone) {
  Bytes reservedZero = kWhite2x2; // a plain BMP whose compression field says "WRZL"
  std::copy_n(Hex("57 52 5A 4C").begin(), 4, reservedZero.begin() + 30);
  Bytes negative = kWhite2x2Packed;
  std::copy_n(Hex("FF FF FF FF").begin(), 4, negative.begin() + 6);
  for (const Bytes& file : {reservedZero, negative}) {
    TUniBitmap bitmap = Noise(3, 3, TPixelFormat::pf24bit, 9, 7);
    Bytes before = Written(bitmap);
    TReadOnlyMemoryStream s(file);
    EXPECT_NO_THROW(bitmap.LoadFromStream(s));
    EXPECT_EQ(Written(bitmap), before);
  }
}

TEST(BlzDamage, EveryTruncationAndBadRecordIsRefusedCleanly) {
  TUniBitmap bitmap = Noise(90, 90, TPixelFormat::pf24bit, 5, 7);
  for (bool packed : {false, true}) {
    Bytes file = Saved(bitmap, packed);
    for (size_t cut = 0; cut < file.size(); cut += (cut < 100 ? 1 : 97)) {
      Bytes shorter(file.begin(), file.begin() + static_cast<long>(cut));
      TUniBitmap target = Noise(2, 2, TPixelFormat::pf24bit, 1, 7);
      Bytes before = Written(target);
      TReadOnlyMemoryStream s(shorter);
      try {
        target.LoadFromStream(s);
      } catch (const Exception&) {
        EXPECT_EQ(Written(target), before) << "a failed load changed the image, cut " << cut;
      }
    }
    Bytes longRecord = file;
    size_t lengthAt = packed ? 58 : 8;
    longRecord[lengthAt] = 0xFF;
    longRecord[lengthAt + 1] = 0xFF;
    try {
      Loaded<TUniBitmap>(longRecord);
      ADD_FAILURE() << "a record longer than the work buffer loaded";
    } catch (const EBlzError& error) {
      EXPECT_EQ(error.Kind(), TBlzError::RecordTooLong);
    }
  }
  // A frame that is its length alone, at the very end: an empty block, the last record.
  TMemoryStream image;
  EXPECT_EQ(RestoreBmpImage(Hex("4C 5A 52 57 05 00 00 00 00 00"), image).records, 1u);
}

// Each header reads back what was written, and each damage has its kind and its text.
TEST(BlzContainer, HeadersReadBackAndDamageHasItsKind) {
  const std::span<const uint8_t> bmpHead(kWhite2x2.data(), kBmpHeadersSize);
  const Bytes packed = blz::LayoutHeader(TBmpLayout::PackedBitmap, bmpHead, 70);
  EXPECT_EQ(packed, Bytes(kWhite2x2Packed.begin(), kWhite2x2Packed.begin() + 58));
  const blz::TPackedHeader header = blz::ReadPackedHeader(packed);
  EXPECT_TRUE(header.hasMagic);
  EXPECT_EQ(header.storedSize, 70);
  EXPECT_EQ(Bytes(header.bmpHeaders.begin(), header.bmpHeaders.end()),
            Bytes(bmpHead.begin(), bmpHead.end()));
  EXPECT_EQ(blz::ReadStreamHeader(blz::LayoutHeader(TBmpLayout::BLZStream, {}, 70)), 70u);

  const uint8_t frame[] = {0x03, 0x00, 1, 2, 3};
  EXPECT_EQ(blz::ReadRecordFrame(frame, 5), 3u);
  EXPECT_EQ(blz::WholeRecordFrame(frame, 5), 3u);
  const uint8_t tooLong[] = {0xFF, 0xFF};
  const char* const truncated = "BLZ image is not valid: the file is truncated";
  const struct {
    std::function<void()> read;
    TBlzError kind;
    const char* text;
  } damages[] = {
      {[] { blz::ReadStreamHeader(Hex("4C 5A 52 57 05 00 00")); }, TBlzError::Truncated, truncated},
      {[&] { blz::ReadRecordFrame(frame, 1); }, TBlzError::Truncated, truncated},
      {[&] { blz::ReadRecordFrame(frame, 4); }, TBlzError::Truncated, truncated},
      {[&] { blz::ReadRecordFrame(tooLong, 2); }, TBlzError::RecordTooLong,
       "BLZ image is not valid: a block record is too long"},
      {[] { ThrowBlzError(TBlzError::StoredSizeDiffers, 5, 7); }, TBlzError::StoredSizeDiffers,
       "stored size 5 differs from the restored image of 7 bytes"},
  };
  for (const auto& damage : damages) {
    SCOPED_TRACE(damage.text);
    try {
      damage.read();
      ADD_FAILURE() << "no error";
    } catch (const EBlzError& error) {
      EXPECT_EQ(error.Kind(), damage.kind);
      EXPECT_STREQ(error.what(), damage.text);
    }
  }
  EXPECT_FALSE(blz::WholeRecordFrame(frame, 4));
  EXPECT_FALSE(blz::WholeRecordFrame(tooLong, 2));
}

// Bitmap resources hold a DIB without the file header: its pixels start after the header, the
// colour table (3-byte entries after a core header) and the masks of a 40-byte header.
TEST(BlzResources, ResourceReadersFindByNameAndNumber) {
  testsupport::TempDir dir;
  std::filesystem::create_directories(dir.Path() / "RCDATA");
  std::filesystem::create_directories(dir.Path() / "BITMAP");
  testsupport::WriteFile(dir.File("RCDATA/LOGO"), kWhite2x2Packed);
  testsupport::WriteFile(dir.File("RCDATA/#7"), kWhite2x2Stream);
  Bytes core = Dib({.headerSize = 12, .bpp = 8, .width = 1, .height = 1, .after = 0});
  for (int i = 0; i < 256; ++i)
    core.insert(core.end(), {uint8_t(i), 2, 3});
  core.insert(core.end(), {1, 0, 0, 0}); // colour 1: red 3, green 2, blue 1
  Bytes info = Dib({.bpp = 16, .compression = 3, .width = 1, .height = 1, .after = 0});
  for (const Bytes& tail : {Hex("00 F8 00 00 E0 07 00 00 1F 00 00 00"), Hex("E0 07 00 00")})
    info.insert(info.end(), tail.begin(), tail.end()); // 5-6-5 masks, then one green pixel
  testsupport::WriteFile(dir.File("BITMAP/CORE"), core);
  testsupport::WriteFile(dir.File("BITMAP/FIELDS"), info);
  // 24 bits: neither table nor masks.
  const Bytes plain = Dib({.width = 1, .height = 1, .after = 0}, {1, 2, 3, 0});
  testsupport::WriteFile(dir.File("BITMAP/PLAIN"), plain);
  testsupport::WriteFile(dir.File("BITMAP/WHOLE"), kWhite2x2); // a whole BMP file is taken as it is
  HINSTANCE module{dir.Path().string() + "/"};
  TUniBitmap bitmap;
  EXPECT_EQ(Written(bitmap.BitmapFromPackedBmpResName(module, "LOGO")), kWhite2x2);
  EXPECT_EQ(Written(bitmap.BitmapFromBLZResID(module, 7)), kWhite2x2);
  EXPECT_EQ(Written(bitmap.BitmapFromResName(module, "LOGO")), kWhite2x2);
  EXPECT_EQ(Written(bitmap.BitmapFromResID(module, 7)), kWhite2x2);
  EXPECT_THROW(bitmap.LoadFromResName(module, "MISSING"), EResNotFound);
  EXPECT_EQ(bitmap.BitmapFromBitmapResName(module, "CORE").GetPixel(0, 0), RGB(3, 2, 1));
  EXPECT_EQ(bitmap.BitmapFromBitmapResName(module, "FIELDS").GetPixel(0, 0), RGB(0, 255, 0));
  EXPECT_EQ(bitmap.BitmapFromBitmapResName(module, "PLAIN").GetPixel(0, 0), RGB(3, 2, 1));
  EXPECT_EQ(bitmap.BitmapFromBitmapResName(module, "WHOLE").GetPixel(1, 1), RGB(255, 255, 255));
}

} // namespace
