// The packed layout is written from a bitmap's own rows when the BMP writer hands them over
// whole; it must give the very bytes of packing a copy of the BMP image.
#include "bitmap/UniBmp.h"
#include "graphics/Streams.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Hands the BMP image over from a copy, so the packer cannot use the rows in place.
class TCopyingWriter : public TUniBitmap {
public:
  void SaveToStream(TStream& stream) const override {
    TMemoryStream image;
    TBitmap::SaveToStream(image);
    stream.WriteBuffer(image.Memory(), image.Size());
  }
};

std::vector<uint8_t> Packed(const TUniBitmap& bitmap) {
  TMemoryStream s;
  bitmap.SaveToPackedBmpStream(s);
  return {s.Bytes().begin(), s.Bytes().end()};
}

TEST(PackedFromRows, SameBytesAsPackingACopy) {
  struct Case {
    TPixelFormat format;
    int width, height;
  };
  // Payloads below one record, of an exact multiple of a record (an empty record follows) and
  // of several records.
  const Case cases[] = {{TPixelFormat::pf24bit, 7, 3},     {TPixelFormat::pf24bit, 128, 256},
                        {TPixelFormat::pf24bit, 301, 211}, {TPixelFormat::pf32bit, 128, 128},
                        {TPixelFormat::pf32bit, 97, 50},   {TPixelFormat::pf15bit, 64, 64},
                        {TPixelFormat::pf16bit, 33, 9},    {TPixelFormat::pf8bit, 100, 40},
                        {TPixelFormat::pf1bit, 17, 5}};
  std::mt19937 random(3);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << BitsPerPixel(c.format) << " bits " << c.width << "x" << c.height);
    TUniBitmap bitmap;
    bitmap.Allocate(c.width, c.height, c.format);
    for (uint8_t& b : bitmap.Bits())
      b = static_cast<uint8_t>(random() % 5 == 0 ? random() : 0x41);
    bitmap.ClearRowPadding();
    TCopyingWriter copy;
    copy.Assign(bitmap);
    EXPECT_EQ(Packed(bitmap), Packed(copy));
  }
}

} // namespace
