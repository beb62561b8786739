// GdiPlayer: the device context that the metafile players drive. It keeps what a GDI device
// context keeps between records (mapping, objects, colours, modes, clip, current position,
// path bracket) and draws onto a QPainter. The WMF and EMF players only parse records and
// call it.
//
// Coordinates go logical → (world transform, EMF only) → page (window/viewport and map mode)
// → reference device → target rectangle. Shapes are mapped to device pixels before drawing,
// so pens and fonts are sized as GDI sizes them, and text is never mirrored by a flipped axis.
#pragma once

#include "qt/GdiState.h"

#include <QPainter>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace gdi {

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
  // Joins `region` to the clip by a region mode: RGN_AND 1, RGN_OR 2, RGN_XOR 3, RGN_DIFF 4,
  // RGN_COPY 5. Without a clip the region becomes it; another mode fails, as in GDI, and
  // leaves the clip as it was.
  void CombineClip(const QPainterPath& region, int mode);
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

// Decodes a DIB whose bits lie apart from its info block; null on failure.
QImage DecodeDib(std::span<const uint8_t> info, std::span<const uint8_t> bits);
// Decodes a packed DIB (info block, colour table, bits); null on failure.
QImage DecodePackedDib(std::span<const uint8_t> dib);

} // namespace gdi
