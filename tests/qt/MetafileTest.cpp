// TMetafile: small WMF and EMF files written here, checked at known pixels and sizes; damaged
// files, kept with rows in the corpus manifest; Windows' own renderings of the corpus
// drawings, compared loosely.
#include "qt/Metafile.h"
#include "HandMade.h"
#include "MetafileWriters.h"
#include "TestSupport.h"
#include "io/Streams.h"
#include "qt/Canvas.h"

#include <QImage>
#include <gtest/gtest.h>
#include <sstream>

using namespace testsupport;

namespace {

// A 2 × 2 24-bit DIB: top row red, white; bottom row blue, green.
const std::vector<uint8_t> kDib2x2 =
    Hex("28 00 00 00 02 00 00 00 02 00 00 00 01 00 18 00 00 00 00 00 00 00 00 00 00 00 00 00 "
        "00 00 00 00 00 00 00 00 00 00 00 00 FF 00 00 00 FF 00 00 00 00 00 FF FF FF FF 00 00");

// The scene in logical units of 200 × 100, drawn at half size: a red box, a blue ellipse, a
// yellow triangle, text and a stretched 2 × 2 bitmap in the top right corner.
std::vector<uint8_t> SceneWmf() {
  WmfWriter w;
  w.Rec(0x020B, {0, 0}).Rec(0x020C, {100, 200});
  w.Rec(0x02FC, {0, 0x00FF, 0, 0}).Rec(0x012D, {0}); // red brush → slot 0
  w.Rec(0x02FA, {5, 0, 0, 0, 0}).Rec(0x012D, {1});   // null pen → slot 1
  w.Rec(0x041B, {80, 80, 20, 20});
  w.Rec(0x02FC, {0, 0, 0x00FF, 0}).Rec(0x012D, {2}); // blue → slot 2
  w.Rec(0x0418, {90, 190, 10, 110});
  // Freeing slot 0 gives it to the yellow brush.
  w.Rec(0x01F0, {0}).Rec(0x02FC, {0, 0xFFFF, 0, 0}).Rec(0x012D, {0});
  w.Rec(0x0324, {3, 100, 95, 130, 60, 160, 95}).Rec(0x0102, {1});
  w.Rec(0x0521, {2}, {'W', 'W', 85, 0, 10, 0});
  w.Rec(0x0B41, {0x0020, 0x00CC, 2, 2, 0, 0, 20, 40, 0, 160}, kDib2x2);
  return w.Build(true);
}

std::vector<uint8_t> SceneEmf() {
  EmfWriter e;
  e.Rec(39, {1, 0, 0xFF, 0}).Rec(37, {1}).Rec(37, {0x80000008}); // stock null pen
  e.Rec(43, {10, 10, 40, 40});
  e.Rec(17, {8}).Rec(9, {200, 100}).Rec(11, {100, 50}); // logical 200 × 100 onto 100 × 50
  e.Rec(39, {2, 0, 0xFF0000, 0}).Rec(37, {2}).Rec(42, {110, 10, 190, 90});
  e.Rec(39, {3, 0, 0x00FFFF, 0}).Rec(37, {3});
  e.Rec(86, {0, 0, 0, 0, 3, 100 | (95 << 16), 130 | (60 << 16), 160 | (95 << 16)});
  e.Rec(18, {1});
  e.Rec(84, {0, 0, 0, 0, 1, 0x3F800000, 0x3F800000, 10, 85, 2, 76, 0, 0, 0, 0, 0, 0},
        {'W', 0, 'W', 0});
  e.Rec(81, {0, 0, 0, 0, 160, 0, 0, 0, 2, 2, 80, 40, 120, 16, 0, 0x00CC0020, 40, 20}, kDib2x2);
  return e.Build();
}

TEST(Metafile, DrawsShapesTextAndBitmapsWhereTheyBelong) {
  for (const auto& [name, bytes] : {std::pair{"wmf", SceneWmf()}, {"emf", SceneEmf()}}) {
    SCOPED_TRACE(name);
    const TMetafile metafile = Loaded<TMetafile>(bytes);
    ASSERT_EQ(metafile.Width(), 100);
    ASSERT_EQ(metafile.Height(), 50);
    TBitmap drawn = RenderGraphic(metafile, 100, 50);
    const struct {
      int x, y;
      TColor color;
    } expected[] = {
        {2, 2, clWhite},  {25, 25, clRed},    {11, 11, clRed},   {75, 25, clBlue},
        {56, 25, clBlue}, {65, 42, clYellow}, {82, 2, clRed},    {97, 2, clWhite},
        {82, 8, clBlue},  {97, 8, clLime},    {45, 25, clWhite}, {75, 48, clWhite},
    };
    for (const auto& p : expected)
      EXPECT_EQ(drawn.GetPixel(p.x, p.y), p.color) << p.x << "," << p.y;
    int dark = 0;
    for (int y = 42; y < 50; ++y)
      for (int x = 4; x < 30; ++x)
        dark += GetRValue(drawn.GetPixel(x, y)) < 100;
    EXPECT_GT(dark, 5) << "no text drawn";
  }
}

// A metafile drawn at 100 × 50, its own size, or at another size.
TBitmap Drawn(const std::vector<uint8_t>& bytes, int width = 100, int height = 50) {
  return RenderGraphic(Loaded<TMetafile>(bytes), width, height);
}

using TRecords = std::vector<std::pair<uint32_t, std::vector<int64_t>>>;

// An EMF of a red brush, the null pen and then `records`, drawn at 100 × 50: the colour at
// each probe, R red, B blue, G green, - white, ? another.
std::string Shown(const TRecords& records, std::initializer_list<QPoint> probes) {
  EmfWriter e;
  e.Rec(39, {1, 0, 0xFF, 0}).Rec(37, {1}).Rec(37, {0x80000008});
  for (const auto& [type, params] : records)
    e.Rec(type, params);
  const TBitmap drawn = Drawn(e.Build());
  std::string shown;
  for (QPoint p : probes) {
    const TColor c = drawn.GetPixel(p.x(), p.y());
    shown += c == clRed ? 'R' : c == clBlue ? 'B' : c == clLime ? 'G' : c == clWhite ? '-' : '?';
  }
  return shown;
}

// A 1 × 1 DIB stretched over the whole picture, its pixels after a core or an info header and
// a table of 3- or 4-byte entries (every header, table and mask layout: DibReaderTest).
TEST(Metafile, DibPixelsStartAfterTheHeaderTableAndMasks) {
  const DibSpec pixel = {.width = 1, .height = 1, .after = 0};
  const std::pair<std::vector<uint8_t>, TColor> cases[] = {
      {Dib(pixel, Hex("FF 00 00 00")), clBlue},
      {Dib({.headerSize = 12, .bpp = 1, .width = 1, .height = 1, .after = 0},
           Hex("00 00 00 00 00 FF 80 00 00 00")),
       clRed},
      {Dib({.bpp = 8, .colorsUsed = 2, .width = 1, .height = 1, .after = 0},
           Hex("00 00 00 00 00 FF 00 00 01 00 00 00")),
       clLime},
  };
  for (const auto& [bits, colour] : cases) {
    const std::vector<uint8_t> file =
        WmfWriter()
            .Rec(0x020C, {100, 200})
            .Rec(0x0B41, {0x0020, 0x00CC, 1, 1, 0, 0, 100, 200, 0, 0}, bits)
            .Build(true);
    EXPECT_EQ(Drawn(file).GetPixel(50, 25), colour) << bits.size() << " bytes";
    const TBitmap narrower = Drawn(file, 30, 50); // stretched, up to the corner
    EXPECT_EQ(std::pair(narrower.Width(), narrower.GetPixel(0, 0)), std::pair(30, colour));
  }
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

// Records that draw without a shape of points: a pixel set, the pie, chord and arc of an
// ellipse (10..90 x 10..40, from its right end counter-clockwise to its top), filled red with
// the null pen, a box filled by a palette index of a created palette, and one filled with red
// horizontal hatching over a blue background, opaque or transparent; a polyline of one line
// drawn with a red pen 5 wide; a line to the current position, which a Bézier curve drawn
// between does not move. Where each shows at the probes: R red, B blue, G green, - white.
TEST(Metafile, PixelsArcsAndPalettesOfEmfRecords) {
  const std::vector<int64_t> ellipse = {10, 10, 90, 40, 90, 25, 50, 10};
  const std::pair<TRecords, const char*> cases[] = {
      {{{15, {30, 20, 0xFF0000}}}, "B---"},
      {{{47, ellipse}}, "-RR-"},
      {{{46, ellipse}}, "-R--"},
      {{{45, ellipse}}, "----"},
      {{{49, {4, 0x300 | 2 << 16, 0xFF, 0xFF00}},
        {48, {4}},
        {39, {5, 0, 0x01000001, 0}},
        {37, {5}},
        {43, {0, 0, 100, 50}}},
       "GGGG"},
      {{{38, {7, 0, 5, 0, 0xFF}}, {37, {7}}, {4, {0, 0, 0, 0, 2, 0, 19, 100, 19}}}, "RRR-"},
      {{{38, {7, 0, 5, 0, 0xFF}},
        {37, {7}},
        {27, {0, 32}},
        {2, {0, 0, 0, 0, 4, 60, 5, 70, 5, 80, 5, 90, 5}},
        {54, {100, 32}}},
       "---R"},
      {{{39, {6, 2, 0xFF, 0}}, {37, {6}}, {25, {0xFF0000}}, {18, {2}}, {43, {0, 0, 100, 50}}},
       "BBBB"},
      {{{39, {6, 2, 0xFF, 0}}, {37, {6}}, {25, {0xFF0000}}, {18, {1}}, {43, {0, 0, 100, 50}}},
       "----"},
  };
  for (const auto& [records, shown] : cases)
    EXPECT_EQ(Shown(records, {{30, 20}, {75, 17}, {62, 20}, {30, 32}}), shown)
        << records.front().first;
}

// Under each metric mapping a box of 10 mm from the origin, its y axis pointing up, fills
// 37.8 pixels each way of the reference device's 960 pixels to 254 mm.
TEST(Metafile, MetricMappingsMeasureInTheirUnits) {
  const std::pair<int, int64_t> tenMillimetres[] = {
      {2, 100}, {3, 1000}, {4, 39}, {5, 394}, {6, 567}}; // 0.1 mm, 0.01 mm, 0.01", 0.001", twips
  for (const auto& [mode, units] : tenMillimetres) {
    EmfWriter e;
    e.Rec(39, {1, 0, 0xFF, 0}).Rec(37, {1}).Rec(37, {0x80000008}).Rec(17, {mode});
    const TBitmap drawn = Drawn(e.Rec(43, {0, 0, units, -units}).Build());
    EXPECT_EQ(drawn.GetPixel(36, 36), clRed) << mode;
    EXPECT_EQ(drawn.GetPixel(39, 20), clWhite) << mode;
    EXPECT_EQ(drawn.GetPixel(20, 39), clWhite) << mode;
  }
}

// "WW" in a created font 40 pixels high, after a stock object is selected: the stock fonts
// (10 to 14, 16 and 17) put the default font back; the default palette and the DC's brush and
// pen (15, 18, 19) keep the created one.
TEST(Metafile, StockFontsReplaceACreatedFont) {
  std::vector<uint8_t> face(64);
  const std::string name = "Liberation Sans";
  for (size_t i = 0; i < name.size(); ++i)
    face[2 * i] = static_cast<uint8_t>(name[i]);
  auto inkAfter = [&](uint32_t stock) {
    EmfWriter e;
    e.Rec(82, {3, -40, 0, 0, 0, 400, 0, 0}, face).Rec(37, {3}).Rec(37, {0x80000000 | stock});
    e.Rec(84, {0, 0, 0, 0, 1, 0x3F800000, 0x3F800000, 5, 2, 2, 76, 0, 0, 0, 0, 0, 0},
          {'W', 0, 'W', 0});
    const TBitmap drawn = Drawn(e.Build());
    int ink = 0;
    for (int y = 0; y < 50; ++y)
      for (int x = 0; x < 100; ++x)
        ink += GetRValue(drawn.GetPixel(x, y)) < 100;
    return ink;
  };
  const int created = inkAfter(15);
  for (uint32_t stock : {10, 11, 12, 13, 14, 16, 17})
    EXPECT_LT(inkAfter(stock), created / 3) << stock;
  for (uint32_t stock : {18, 19})
    EXPECT_EQ(inkAfter(stock), created) << stock;
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

// A colour given as a palette index (0x01000000 | i) is entry i of the selected palette, black
// beyond its end: a palette of two entries, and a box filled with a brush of index 0, 1 and 7.
TEST(Metafile, PaletteIndexColoursComeFromTheSelectedPalette) {
  WmfWriter w;
  w.Rec(0x020C, {100, 300}).Rec(0x00F7, {0x300, 2, 10 | 20 << 8, 30, 200 | 100 << 8, 50});
  w.Rec(0x0234, {0}).Rec(0x02FA, {5, 0, 0, 0, 0}).Rec(0x012D, {1}); // null pen
  const int indices[] = {0, 1, 7};
  for (int i = 0; i < 3; ++i) {
    w.Rec(0x02FC, {0, indices[i], 0x0100, 0}).Rec(0x012D, {2 + i});
    w.Rec(0x041B, {100, 100 * (i + 1), 0, 100 * i});
  }
  const TBitmap drawn = Drawn(w.Build(true, {0, 0, 300, 100}), 300, 100);
  EXPECT_EQ(drawn.GetPixel(50, 50), RGB(10, 20, 30));
  EXPECT_EQ(drawn.GetPixel(150, 50), RGB(200, 100, 50));
  EXPECT_EQ(drawn.GetPixel(250, 50), clBlack);
}

// A red brush and the null pen selected, then each row's records, then a fill of the whole
// picture: what shows at x = 20, 50 and 80, R red, B blue, - white.
// - A blue brush selected after a save, then RestoreDC(n): a negative n counts back from the
//   newest save, a positive one from the first; 0 and saves that do not exist are ignored.
// - A polygon list whose one polygon has no points fills its record exactly: nothing to draw,
//   and the records after it still play.
// - Two clip rectangles (0..60 then 40..100 across) joined by each region mode, the second
//   given as a region or as a path.
// - The world shrunk to 0.4 of its width, then a move by 55 to the right put first, last, or
//   the world made the identity.
TEST(Metafile, RestoreDcEmptyPolygonsClipRegionsAndWorldsBeforeAFill) {
  auto restore = [](int64_t which) -> TRecords {
    return {{39, {2, 0, 0xFF0000, 0}}, {33, {}}, {37, {2}}, {34, {which}}};
  };
  auto region = [](std::vector<int64_t> rects, int mode) {
    std::vector<int64_t> params = {
        32 + 4 * int64_t(rects.size()), mode, 32, 1, int64_t(rects.size() / 4),
        4 * int64_t(rects.size()),      0,    0,  0, 0};
    params.insert(params.end(), rects.begin(), rects.end());
    return params;
  };
  auto clip = [&](uint32_t type, std::vector<int64_t> params) -> TRecords {
    return {{75, region({0, 0, 60, 50}, 5)}, {type, std::move(params)}};
  };
  const std::vector<int64_t> right = {40, 0, 100, 50};
  auto clipPath = [&](int mode) -> TRecords {
    return {
        {75, region({0, 0, 60, 50}, 5)}, {59, {}}, {43, {40, 0, 100, 50}}, {60, {}}, {67, {mode}}};
  };
  constexpr int64_t kOne = 0x3F800000, kTwoFifths = 0x3ECCCCCD, k55 = 0x425C0000; // floats
  auto world = [&](int mode) -> TRecords {
    return {{35, {kTwoFifths, 0, 0, kOne, 0, 0}}, {36, {kOne, 0, 0, kOne, k55, 0, mode}}};
  };
  const std::tuple<const char*, TRecords, const char*> cases[] = {
      {"RestoreDC(-1)", restore(-1), "RRR"},
      {"RestoreDC(1)", restore(1), "RRR"},
      {"RestoreDC(0)", restore(0), "BBB"},
      {"RestoreDC(2)", restore(2), "BBB"},
      {"RestoreDC(-2)", restore(-2), "BBB"},
      {"an empty polygon", {{91, {0, 0, 0, 0, 1, 0, 0}}}, "RRR"},
      {"AND", clip(75, region(right, 1)), "-R-"},
      {"OR", clip(75, region(right, 2)), "RRR"},
      {"XOR", clip(75, region(right, 3)), "R-R"},
      {"DIFF", clip(75, region(right, 4)), "R--"},
      {"COPY", clip(75, region(right, 5)), "-RR"},
      {"COPY of no region: no clip", clip(75, region({}, 5)), "RRR"},
      {"exclude", clip(29, right), "R--"},
      {"intersect", clip(30, right), "-R-"},
      {"path AND", clipPath(1), "-R-"},
      {"path OR", clipPath(2), "RRR"},
      {"path XOR", clipPath(3), "R-R"},
      {"path DIFF", clipPath(4), "R--"},
      {"path COPY", clipPath(5), "-RR"},
      {"path of an unknown mode", clipPath(6), "RR-"},
      {"shrunk", {{35, {kTwoFifths, 0, 0, kOne, 0, 0}}}, "R--"},
      {"shrunk, then the identity", world(1), "RRR"},
      {"moved first", world(2), "-R-"},
      {"moved last", world(3), "--R"},
  };
  for (auto [name, records, shown] : cases) {
    records.push_back({43, {0, 0, 100, 50}});
    EXPECT_EQ(Shown(records, {{20, 25}, {50, 25}, {80, 25}}), shown) << name;
  }
}

// A window of 200 x 100 filled red from its corner to 200 x 100 logical units, after the
// window's extent is scaled (x by 2, y by 2; a denominator of 0 is ignored) or the viewport's
// (which moves nothing: the window is mapped onto the picture): where the red shows.
TEST(Metafile, ScaledExtentsOfTheWindowAndTheViewport) {
  const std::tuple<const char*, std::vector<std::pair<uint16_t, std::vector<int>>>, bool> cases[] =
      {{"the window's", {{0x0410, {1, 2, 1, 2}}}, true},
       {"by nothing", {{0x0410, {0, 2, 1, 2}}}, false},
       {"the viewport's", {{0x0103, {8}}, {0x020E, {50, 100}}, {0x0412, {2, 1, 2, 1}}}, false}};
  for (const auto& [name, records, quarter] : cases) {
    WmfWriter w;
    w.Rec(0x020C, {100, 200});
    for (const auto& [function, params] : records)
      w.Rec(function, params);
    w.Rec(0x02FC, {0, 0x00FF, 0, 0}).Rec(0x012D, {0}).Rec(0x02FA, {5, 0, 0, 0, 0}).Rec(0x012D, {1});
    const TBitmap drawn = Drawn(w.Rec(0x041B, {100, 200, 0, 0}).Build(true, {0, 0, 200, 100}));
    EXPECT_EQ(drawn.GetPixel(20, 10), clRed) << name;
    EXPECT_EQ(drawn.GetPixel(80, 10) == clRed && drawn.GetPixel(20, 40) == clRed, !quarter) << name;
  }
}

TEST(Metafile, SizeComesFromTheHeader) {
  WmfWriter extent = WmfWriter().Rec(0x020C, {-30, 60});
  std::vector<uint8_t> emfWide = SceneEmf(); // a frame of 264.74 mm: 1000.59 pixels
  for (size_t at : {32, 36})
    emfWide[at] = 0x6A, emfWide[at + 1] = 0x67, emfWide[at + 2] = emfWide[at + 3] = 0;
  std::vector<uint8_t> emfNoFrame = SceneEmf(); // bounds of 150 × 30 pixels, an empty frame
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
