// What a GDI device context keeps between records: its mapping, the selected objects, colours,
// modes, clip and current position; and the constants the metafile records use for them.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QString>
#include <QTransform>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

namespace gdi {

enum MapMode {
  MM_TEXT = 1,
  MM_LOMETRIC,
  MM_HIMETRIC,
  MM_LOENGLISH,
  MM_HIENGLISH,
  MM_TWIPS,
  MM_ISOTROPIC,
  MM_ANISOTROPIC
};
enum { TRANSPARENT = 1, OPAQUE = 2 };
enum { ALTERNATE = 1, WINDING = 2 };
enum { TA_UPDATECP = 1, TA_RIGHT = 2, TA_CENTER = 6, TA_BOTTOM = 8, TA_BASELINE = 24 };
enum { ETO_OPAQUE = 2, ETO_CLIPPED = 4 };
enum { PS_NULL = 5 };
enum {
  BS_SOLID = 0,
  BS_NULL = 1,
  BS_HATCHED = 2,
  BS_PATTERN = 3,
  BS_DIBPATTERN = 5,
  BS_DIBPATTERNPT = 6
};
enum {
  R2_BLACK = 1,
  R2_NOTCOPYPEN = 4,
  R2_NOT = 6,
  R2_XORPEN = 7,
  R2_MASKPEN = 9,
  R2_NOTXORPEN = 10,
  R2_NOP = 11,
  R2_COPYPEN = 13,
  R2_MERGEPEN = 15,
  R2_WHITE = 16
};
enum class ArcKind { Arc, Pie, Chord };

struct Pen {
  int style = 0;
  double width = 0;
  uint32_t color = 0;
};
struct Brush {
  int style = BS_SOLID;
  uint32_t color = 0xFFFFFF;
  int hatch = 0;
  QImage pattern;
};
struct Font {
  int height = 0, width = 0, escapement = 0, weight = 400;
  bool italic = false, underline = false, strikeOut = false;
  QString face;
};
struct Palette {
  std::vector<QRgb> entries;
};
struct Region {}; // regions are kept only so that object numbers stay right
using Object = std::variant<std::monostate, Pen, Brush, Font, Palette, Region>;

struct DcState {
  int mapMode = MM_TEXT;
  QPointF windowOrg{0, 0}, windowExt{1, 1}, viewportOrg{0, 0}, viewportExt{1, 1};
  QTransform world;
  Pen pen;
  Brush brush;
  Font font;
  Palette palette;
  uint32_t textColor = 0, bkColor = 0xFFFFFF;
  int bkMode = OPAQUE, polyFillMode = ALTERNATE, rop2 = R2_COPYPEN, textAlign = 0;
  bool arcCounterClockwise = true;
  QPointF position;                 // logical
  std::optional<QPainterPath> clip; // device pixels; none = the whole target
};

} // namespace gdi
