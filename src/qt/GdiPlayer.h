// GdiPlayer: the device context that the metafile players drive. It keeps what a GDI device
// context keeps between records (mapping, objects, colours, modes, clip, current position,
// path bracket) and draws onto a QPainter. The WMF and EMF players only parse records and
// call it.
//
// Coordinates go logical → (world transform, EMF only) → page (window/viewport and map mode)
// → reference device → target rectangle. Shapes are mapped to device pixels before drawing,
// so pens and fonts are sized as GDI sizes them, and text is never mirrored by a flipped axis.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <cstdint>
#include <optional>
#include <span>
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

class Player {
public:
  // `frame` maps reference-device coordinates to the painter's device. With `windowToTarget`
  // (WMF) the page mapping always stretches the window onto `target`, whatever viewport and
  // map mode records say, as a picture of a metafile is drawn.
  Player(QPainter& painter, QTransform frame, double pixelsPerMm,
         std::optional<QRectF> windowToTarget = std::nullopt);
  ~Player();

  DcState& Dc() { return dc_; }
  QTransform LogicalToDevice() const;

  // Object table: `slot` < 0 takes the lowest free slot (WMF); else that slot (EMF).
  void SetTableSize(size_t size);
  void CreateObject(int slot, Object object);
  void SelectObject(size_t slot);
  void SelectStockObject(uint32_t index);
  void DeleteObject(size_t slot);
  void SaveDc();
  void RestoreDc(int which);

  void MoveTo(QPointF p);
  void LineTo(QPointF p);
  void Polyline(const std::vector<QPointF>& points);
  void PolylineTo(const std::vector<QPointF>& points);
  void PolyBezier(const std::vector<QPointF>& points, bool fromCurrent);
  void Polygon(const std::vector<QPointF>& points);
  void PolyPolygon(const std::vector<std::vector<QPointF>>& polygons);
  void PolyPolyline(const std::vector<std::vector<QPointF>>& lines);
  void Rectangle(QRectF box);
  void RoundRect(QRectF box, QSizeF corner);
  void Ellipse(QRectF box);
  void ArcShape(ArcKind kind, QRectF box, QPointF start, QPointF end);
  void SetPixel(QPointF p, uint32_t color);
  void TextOut(QPointF reference, const QString& text, int options, std::optional<QRectF> rect,
               const std::vector<double>& dx);
  // Raster operation codes of BitBlt: the source image drawn into `dest` (logical).
  void StretchBlt(const QImage& image, QRectF dest, QRectF source, uint32_t rop);
  void PatBlt(QRectF dest, uint32_t rop);

  void IntersectClip(QRectF box);
  void ExcludeClip(QRectF box);
  // Device-space rectangles of a region, relative to the reference device; empty resets.
  void SetClipRects(const std::vector<QRectF>& rects, int mode);

  void BeginPath();
  void EndPath();
  void AbortPath();
  void CloseFigure();
  void FillPath(bool fill, bool stroke);
  void SelectClipPath(int mode);

  QColor Color(uint32_t colorRef) const;

private:
  QTransform PageTransform() const;
  // The shape's device path; GDI leaves out the right and bottom edge of a filled box.
  QRectF DeviceBox(QRectF box, bool withPen) const;
  void Draw(const QPainterPath& devicePath, bool fill, bool stroke);
  void Stroke(const QPainterPath& devicePath);
  void Fill(const QPainterPath& devicePath);
  bool ApplyRop2(QColor& color);
  void ApplyClip();
  QPen DevicePen();
  QFont DeviceFont(double& pixelSize) const;

  QPainter& painter_;
  QTransform frame_;
  double pixelsPerMm_;
  std::optional<QRectF> windowToTarget_;
  DcState dc_;
  std::vector<DcState> saved_;
  std::vector<Object> objects_;
  bool inPath_ = false;
  QPainterPath path_; // device pixels
};

// Builds a BMP file around a DIB's info block and bits and decodes it; null on failure.
QImage DecodeDib(std::span<const uint8_t> info, std::span<const uint8_t> bits);
// Splits a packed DIB (info block, colour table, bits) and decodes it.
QImage DecodePackedDib(std::span<const uint8_t> dib);

} // namespace gdi
