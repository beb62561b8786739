// TMetafile: what kept pictures cannot show (pen widths enlarged, twin records, sizes); the
// drawings of hand-made files are rows of the corpus manifest (tests/data/regressions/wmf and
// emf), the damaged files' texts too; Windows' own renderings of the corpus drawings, compared
// loosely.
#include "qt/Metafile.h"
#include "MetafileWriters.h"
#include "TestSupport.h"
#include "io/Streams.h"
#include "qt/Canvas.h"

#include <QImage>
#include <gtest/gtest.h>
#include <sstream>

using namespace testsupport;

namespace {

// A metafile drawn at 100 × 50, its own size, or at another size.
TBitmap Drawn(const std::vector<uint8_t>& bytes, int width = 100, int height = 50) {
  return RenderGraphic(Loaded<TMetafile>(bytes), width, height);
}

// A rectangle (20..80 × 10..40) drawn ten times enlarged with each stock brush and pen: the
// colour inside, on its left edge and 3 pixels within that edge, where only a pen one logical
// unit wide would reach (the stock pens are one device pixel wide).
TEST(Metafile, StockBrushesAndPens) {
  const std::tuple<int, int, const char*> cases[] = {
      {0, 7, "ffffff 0 ffffff"}, {1, 6, "c0c0c0 ffffff c0c0c0"}, {2, 8, "808080 808080 808080"},
      {3, 7, "404040 0 404040"}, {4, 6, "0 ffffff 0"},           {5, 7, "ffffff 0 ffffff"},
  };
  for (const auto& [brush, pen, shown] : cases) {
    EmfWriter e;
    e.Rec(37, {0x80000000 | brush}).Rec(37, {0x80000000 | pen}).Rec(43, {20, 10, 80, 40});
    const TBitmap drawn = Drawn(e.Build(), 1000, 500);
    std::ostringstream got;
    got << std::hex;
    for (int x : {500, 200, 203}) {
      const TColor c = drawn.GetPixel(x, 250);
      got << (x == 500 ? "" : " ") << (GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c));
    }
    EXPECT_EQ(got.str(), shown) << brush << " " << pen;
  }
}

// Each shape record of 32-bit points and its twin of 16-bit points draw the same, and draw.
TEST(Metafile, ShapesOf16BitPointsDrawAsThoseOf32) {
  const std::pair<int, int> points[] = {{10, 10}, {90, 10}, {50, 45}, {10, 40}};
  auto drawn = [&](uint32_t type, bool narrow, bool polyPoly) {
    std::vector<int64_t> params = {0, 0, 0, 0}; // bounds, then one list of four points
    if (polyPoly) params.insert(params.end(), {1, 4});
    params.push_back(4);
    for (auto [x, y] : points)
      params.insert(params.end(), narrow ? std::initializer_list<int64_t>{x | y << 16}
                                         : std::initializer_list<int64_t>{x, y});
    EmfWriter e;
    e.Rec(39, {1, 0, 0xFF, 0}).Rec(37, {1}).Rec(type, params); // a red brush
    return Written(Drawn(e.Build()));
  };
  const std::vector<uint8_t> blank = Written(Drawn(EmfWriter().Build()));
  const std::tuple<uint32_t, uint32_t, bool> twins[] = {
      {2, 85, false}, {3, 86, false}, {4, 87, false}, {5, 88, false},
      {6, 89, false}, {7, 90, true},  {8, 91, true}};
  for (const auto& [wide, narrow, polyPoly] : twins) {
    const std::vector<uint8_t> shape = drawn(wide, false, polyPoly);
    EXPECT_NE(shape, blank) << wide;
    EXPECT_EQ(drawn(narrow, true, polyPoly), shape) << narrow;
  }
}

TEST(Metafile, SizeComesFromTheHeader) {
  WmfWriter extent = WmfWriter().Rec(0x020C, {-30, 60});
  const std::vector<uint8_t> scene = ReadFile(
      VANTREL_TEST_DATA "/regressions/emf/scene-of-shapes-text-and-a-stretched-bitmap.emf");
  std::vector<uint8_t> emfWide = scene; // a frame of 264.74 mm: 1000.59 pixels
  for (size_t at : {32, 36})
    emfWide[at] = 0x6A, emfWide[at + 1] = 0x67, emfWide[at + 2] = emfWide[at + 3] = 0;
  std::vector<uint8_t> emfNoFrame = scene; // bounds of 150 × 30 pixels, an empty frame
  emfNoFrame[16] = 149, emfNoFrame[20] = 29, std::fill(&emfNoFrame[24], &emfNoFrame[40], 0);
  std::vector<uint8_t> emfNoWidth = emfNoFrame; // a frame 2 mm high but of no width
  emfNoWidth[36] = 200;
  const std::pair<std::vector<uint8_t>, const char*> cases[] = {
      {extent.Build(false), "60 x 30"},
      {extent.Build(true, {-100, -100, 1340, 620}, 1440), "96 x 48"},
      // Unknown records and escapes are skipped.
      {WmfWriter().Rec(0x0999, {1, 2, 3}).Rec(0x0626, {0x0F, 0}).Build(true), "100 x 50"},
      {emfWide, "1001 x 1001"},
      {emfNoFrame, "150 x 30"},
      {emfNoWidth, "150 x 30"},
  };
  for (const auto& [bytes, size] : cases) {
    const TMetafile metafile = Loaded<TMetafile>(bytes);
    EXPECT_EQ(std::to_string(metafile.Width()) + " x " + std::to_string(metafile.Height()), size);
  }
  // A frame without a width or a height is not what fills the picture: the drawing does.
  EXPECT_EQ(Written(RenderGraphic(Loaded<TMetafile>(emfNoWidth), 150, 30)),
            Written(RenderGraphic(Loaded<TMetafile>(emfNoFrame), 150, 30)));
}

// The damaged files, each with its text, are rows of the corpus manifest
// (tests/data/regressions/wmf and emf); each raises EInvalidGraphic and leaves no size behind.
TEST(Metafile, DamagedFilesLeaveNoSize) {
  for (const char* reader : {"wmf", "emf"})
    for (const std::string& file : KeptFiles(reader, "! ")) {
      TMetafile metafile;
      EXPECT_THROW(metafile.LoadFromFile(file), EInvalidGraphic) << file;
      EXPECT_EQ(metafile.Width(), 0) << file;
    }
}

// Windows drew these references with the drawing's own bounds stretched onto the image. For
// the EMF those are its frame. The WMF's drawing (263..1587 in both axes) lies partly outside
// its placeable box (0..1369), so it is drawn here into the rectangle that puts the drawing
// where the reference has it.
TEST(Metafile, CorpusDrawingsLookLikeWindowsRenderings) {
  const auto dir = CorporaDir() / "pillow" / "Tests" / "images";
  if (CorporaDir().empty() || !std::filesystem::exists(dir)) GTEST_SKIP();
  for (const char* name : {"drawing.wmf", "drawing.emf"}) {
    SCOPED_TRACE(name);
    const std::string stem = std::string(name).substr(8);
    QImage ref(QString::fromStdString((dir / ("drawing_" + stem + "_ref.png")).string()));
    ASSERT_FALSE(ref.isNull());
    ref = ref.convertToFormat(QImage::Format_RGB32);
    TMetafile metafile;
    metafile.LoadFromFile((dir / name).string());
    TRect rect{0, 0, ref.width(), ref.height()};
    if (stem == "wmf") {
      const double scale = ref.width() / 1324.0;
      const int from = static_cast<int>(std::lround(-263 * scale));
      const int to = static_cast<int>(std::lround((1369 - 263) * scale));
      rect = TRect{from, from, to, to};
    }
    TBitmap drawn;
    drawn.SetSize(ref.width(), ref.height());
    StretchDraw(drawn, rect, metafile);
    int64_t same = 0;
    for (int y = 0; y < ref.height(); ++y)
      for (int x = 0; x < ref.width(); ++x) {
        const QRgb want = ref.pixel(x, y);
        const TColor got = drawn.GetPixel(x, y);
        same += std::abs(qRed(want) - GetRValue(got)) < 64 &&
                std::abs(qGreen(want) - GetGValue(got)) < 64 &&
                std::abs(qBlue(want) - GetBValue(got)) < 64;
      }
    EXPECT_GT(same * 100 / (int64_t{ref.width()} * ref.height()), 90);
  }
}

} // namespace
