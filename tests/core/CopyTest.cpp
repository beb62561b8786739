// TUniBitmap's copying in a program without Qt: a bitmap handle or a picture comes out as a
// 24-bit bitmap of the source over white, and the copy reports the change.
#include "blz/UniBmp.h"
#include "bmp/Handles.h"
#include "bmp/Picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

TBitmap Source(TPixelFormat format, bool alpha, std::vector<uint32_t> bgra) {
  TBitmap bitmap;
  bitmap.Allocate(static_cast<int>(bgra.size()), 1, format);
  bitmap.SetHasAlpha(alpha);
  for (size_t x = 0; x < bgra.size(); ++x) {
    if (format == TPixelFormat::pf32bit)
      std::memcpy(bitmap.ScanLine(0) + 4 * x, &bgra[x], 4);
    else
      bitmap.SetPixel(static_cast<int>(x), 0, RGB(bgra[x] >> 16, bgra[x] >> 8, bgra[x]));
  }
  bitmap.ClearRowPadding();
  return bitmap;
}

TEST(Copy, HandlesAndPicturesBecomeTheirPixelsOverWhite) {
  struct Case {
    const char* name;
    TBitmap source;
    std::vector<TColor> expected;
  };
  // Red at alpha 0, 128 and 255; an opaque 32-bit pixel whose fourth byte is no alpha; a full
  // 5-bit red scaled to 8 bits.
  const Case cases[] = {
      {"alpha",
       Source(TPixelFormat::pf32bit, true, {0x00FF0000, 0x80FF0000, 0xFFFF0000}),
       {clWhite, RGB(255, 127, 127), RGB(255, 0, 0)}},
      {"no alpha", Source(TPixelFormat::pf32bit, false, {0x00123456}), {RGB(0x12, 0x34, 0x56)}},
      {"palette", Source(TPixelFormat::pf8bit, false, {0x000000, 0xFFFFFF}), {clBlack, clWhite}},
      {"16 bits", Source(TPixelFormat::pf16bit, false, {0xF80000}), {RGB(255, 0, 0)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TUniBitmap copy;
    int changes = 0;
    copy.SetOnChange([&] { ++changes; });
    copy.BitmapFromBitmapHandle(BitmapHandle(c.source));
    EXPECT_EQ(copy.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_FALSE(copy.HasAlpha());
    ASSERT_EQ(copy.Width(), static_cast<int>(c.expected.size()));
    for (int x = 0; x < copy.Width(); ++x)
      EXPECT_EQ(copy.GetPixel(x, 0), c.expected[x]) << x;
    EXPECT_GT(changes, 0);
    TPicture picture;
    picture.SetBitmap(BitmapHandle(c.source));
    TUniBitmap fromPicture;
    fromPicture.AssignPicture(picture);
    EXPECT_EQ(fromPicture.Bits().size(), copy.Bits().size());
    EXPECT_TRUE(std::equal(copy.Bits().begin(), copy.Bits().end(), fromPicture.Bits().begin()));
  }
  // An empty picture or handle empties the bitmap.
  TUniBitmap copy;
  copy.SetSize(3, 3);
  copy.AssignPicture(TPicture());
  EXPECT_TRUE(copy.Empty());
  copy.SetSize(3, 3);
  copy.AssignBitmapHandle(HBITMAP{});
  EXPECT_TRUE(copy.Empty());
}

} // namespace
