// The one DIB rule: where the colour table and the rows start for every header size, mask
// placement and colour count, and the pixels that come out.
#include "bmp/DibReader.h"
#include "HandMade.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<uint8_t>;
using testsupport::Dib;
using testsupport::DibSpec;

TEST(DibReader, RowsStartAfterHeaderMasksAndColourTable) {
  const struct {
    DibSpec dib;
    size_t tableStart, pixelOffset;
  } cases[] = {
      {{.bpp = 24}, 40, 40},
      {{.bpp = 8}, 40, 40 + 1024},
      {{.bpp = 8, .colorsUsed = 3}, 40, 40 + 12},
      {{.bpp = 8, .colorsUsed = 300}, 40, 40 + 1200}, // the whole table, not 256 entries
      {{.bpp = 24, .colorsUsed = 2}, 40, 40 + 8},     // an optimisation table before the rows
      {{.bpp = 16, .compression = 3}, 52, 52},        // three masks after a 40-byte header
      {{.bpp = 32, .compression = 6}, 56, 56},        // four with alpha bit fields
      {{.headerSize = 52, .bpp = 32, .compression = 6}, 56, 56}, // the alpha mask after it
      {{.headerSize = 56, .bpp = 32, .compression = 6}, 56, 56},
      {{.headerSize = 108, .bpp = 16, .compression = 3}, 108, 108},
      {{.headerSize = 124, .bpp = 32, .compression = 3}, 124, 124},
      // A CF_DIB made from a V5 one repeats the masks after the header: its length tells.
      {{.headerSize = 124, .bpp = 32, .compression = 3, .after = 12 + 8}, 124, 124 + 12},
      {{.headerSize = 124, .bpp = 32, .compression = 3, .after = 8}, 124, 124},
      {{.headerSize = 12, .bpp = 1}, 12, 12 + 6}, // 3-byte entries, no colours-used field
      {{.headerSize = 12, .bpp = 8}, 12, 12 + 768},
      {{.headerSize = 12, .bpp = 24}, 12, 12},
      {{.headerSize = 16, .bpp = 4}, 16, 16 + 64}, // OS/2 2.x, fields missing as 0
      {{.headerSize = 64, .bpp = 8, .colorsUsed = 2}, 64, 64 + 8},
  };
  for (const auto& c : cases) {
    const TDibHeader h = ReadDibLayout(Dib(c.dib));
    EXPECT_EQ(h.tableStart, c.tableStart) << c.dib.headerSize << "/" << c.dib.bpp;
    EXPECT_EQ(h.pixelOffset, c.pixelOffset) << c.dib.headerSize << "/" << c.dib.bpp;
  }
}

TEST(DibReader, LayoutsThatDoNotFitAreRefused) {
  const DibSpec cases[] = {
      {.headerSize = 41 + 24, .after = 0},  // no header of that size
      {.headerSize = 11},                   // nor of this
      {.bpp = 8, .after = 1023},            // the table cut off
      {.bpp = 8, .colorsUsed = 0xFFFFFFFF}, // a table no file holds
      {.headerSize = 124, .after = 0},      // cut inside the header (below)
  };
  for (const auto& c : cases) {
    Bytes dib = Dib(c);
    if (c.headerSize == 124) dib.resize(100);
    EXPECT_THROW(ReadDibLayout(dib), EInvalidGraphic) << c.headerSize << "/" << c.after;
  }
}

// The palette of a table longer than 2^bpp is the first entries, the rows after the whole
// table. (V5 alpha pixels: BmpMasks in BmpHostileTest.)
TEST(DibReader, PixelsOfLongTables) {
  TBitmap bitmap;
  Bytes indexed = Dib({.bpp = 8, .colorsUsed = 300, .after = 1200 + 4});
  indexed[40 + 4 * 255] = 0x11; // blue of entry 255
  indexed[40 + 1200] = 255, indexed[40 + 1201] = 1;
  ReadDib(indexed, bitmap);
  ASSERT_EQ(bitmap.Palette().size(), 256u);
  EXPECT_EQ(bitmap.Palette()[255].rgbBlue, 0x11);
  EXPECT_EQ(bitmap.ScanLine(0)[0], 255);
  EXPECT_EQ(bitmap.ScanLine(0)[1], 1);
}

// A metafile gives the rows apart from the header: they start where the header's block ends,
// whatever the colour count says.
TEST(DibReader, RowsApartFromTheHeader) {
  const Bytes info = Dib({.bpp = 8, .colorsUsed = 2, .after = 8});
  const Bytes bits = {1, 0, 0, 0};
  TBitmap bitmap;
  ReadDib(info, bits, bitmap);
  EXPECT_EQ(bitmap.Width(), 2);
  EXPECT_EQ(bitmap.ScanLine(0)[0], 1);
}

} // namespace
