// Hand-made PCX files: origins other than 0, progress, a failed load. Every kind of picture is
// also held against pcxtoppm, and the palette rules, runs (count 0, across scanlines), missing
// data and the header checks with their texts are rows, in the corpus manifest
// (regressions/pcx, references/pcx).
#include "HandMade.h"
#include "TestSupport.h"
#include "formats/Progress.h"
#include "formats/SPCXImg.h"
#include "io/Streams.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<uint8_t>;
using testsupport::PcxFile;
using testsupport::PcxHeader;

// The header checks, each with its kind's text, and the values just inside each limit, which
// load, are rows of the corpus manifest (tests/data/regressions/pcx): a short header, another
// maker or encoding, unsupported depths and planes, sizes of 0 and every size just beyond its
// limit. Each refusal is an EPCXException.
TEST(PcxDecoder, KeptRefusalsArePcxExceptions) {
  const std::vector<std::string> files = testsupport::KeptFiles("pcx", "! ");
  EXPECT_GE(files.size(), 16u);
  for (const std::string& file : files)
    EXPECT_THROW(testsupport::Loaded<TSPCXBitmap>(testsupport::ReadFile(file)), EPCXException)
        << file;
}

TEST(PcxDecoder, TheTopScanlineIsTheTopRowAndEachRowReportsProgress) {
  const PcxHeader h = {.xmin = -3, .ymin = 10, .height = 3};
  int rows = 0;
  SetDecoderProgress([&] { ++rows; });
  TSPCXBitmap b =
      testsupport::Loaded<TSPCXBitmap>(PcxFile(h, {1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3}));
  SetDecoderProgress(nullptr);
  EXPECT_EQ(rows, 3);
  EXPECT_EQ(b.Height(), 3);
  EXPECT_EQ(b.ScanLine(0)[0], 1);
  EXPECT_EQ(b.ScanLine(2)[0], 3);
  // A failed load leaves the picture as it was.
  TReadOnlyMemoryStream bad(Bytes(10, 0));
  EXPECT_THROW(b.LoadFromStream(bad), EPCXException);
  EXPECT_EQ(b.ScanLine(2)[0], 3);
}

} // namespace
