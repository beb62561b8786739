// Lines and shapes: the pen, the brush and the raster operation applied to device paths.
#include "qt/GdiPlayer.h"

#include <algorithm>
#include <cmath>

namespace gdi {

namespace {

bool AxisAligned(const QTransform& t) {
  return t.m12() == 0 && t.m21() == 0;
}

double Scale(const QTransform& t) {
  return std::sqrt(std::abs(t.determinant()));
}

Qt::BrushStyle HatchStyle(int hatch) {
  switch (hatch) {
  case 0:
    return Qt::HorPattern;
  case 1:
    return Qt::VerPattern;
  case 2:
    return Qt::FDiagPattern;
  case 3:
    return Qt::BDiagPattern;
  case 4:
    return Qt::CrossPattern;
  default:
    return Qt::DiagCrossPattern;
  }
}

} // namespace

bool Player::ApplyRop2(QColor& color) {
  QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
  switch (dc_.rop2) {
  case R2_NOP:
    return false;
  case R2_BLACK:
    color = Qt::black;
    break;
  case R2_WHITE:
    color = Qt::white;
    break;
  case R2_NOT:
    mode = QPainter::RasterOp_NotDestination;
    break;
  case R2_XORPEN:
    mode = QPainter::RasterOp_SourceXorDestination;
    break;
  case R2_NOTXORPEN:
    mode = QPainter::RasterOp_NotSourceXorDestination;
    break;
  case R2_MASKPEN:
    mode = QPainter::RasterOp_SourceAndDestination;
    break;
  case R2_MERGEPEN:
    mode = QPainter::RasterOp_SourceOrDestination;
    break;
  case R2_NOTCOPYPEN:
    mode = QPainter::RasterOp_NotSource;
    break;
  default:
    break;
  }
  painter_.setCompositionMode(mode);
  return true;
}

void Player::ApplyClip() {
  if (dc_.clip)
    painter_.setClipPath(*dc_.clip);
  else
    painter_.setClipping(false);
}

QPen Player::DevicePen() {
  QColor color = Color(dc_.pen.color);
  double width = dc_.pen.width > 0 ? dc_.pen.width * Scale(LogicalToDevice()) : 1;
  QPen pen(color, std::clamp(width, 1.0, 4096.0));
  pen.setCosmetic(true);
  pen.setJoinStyle(Qt::RoundJoin);
  pen.setCapStyle(Qt::RoundCap);
  switch (dc_.pen.style & 0xF) {
  case 1:
    pen.setStyle(Qt::DashLine);
    break;
  case 2:
    pen.setStyle(Qt::DotLine);
    break;
  case 3:
    pen.setStyle(Qt::DashDotLine);
    break;
  case 4:
    pen.setStyle(Qt::DashDotDotLine);
    break;
  default:
    break;
  }
  return pen;
}

void Player::Stroke(const QPainterPath& path) {
  if ((dc_.pen.style & 0xF) == PS_NULL) return;
  QPen pen = DevicePen();
  QColor color = pen.color();
  if (!ApplyRop2(color)) return;
  pen.setColor(color);
  painter_.strokePath(path, pen);
  painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void Player::Fill(const QPainterPath& path) {
  const Brush& b = dc_.brush;
  if (b.style == BS_NULL) return;
  QColor color = Color(b.color);
  if (!ApplyRop2(color)) return;
  if (b.style == BS_HATCHED) {
    if (dc_.bkMode == OPAQUE) painter_.fillPath(path, Color(dc_.bkColor));
    painter_.fillPath(path, QBrush(color, HatchStyle(b.hatch)));
  } else if ((b.style == BS_PATTERN || b.style == BS_DIBPATTERN || b.style == BS_DIBPATTERNPT) &&
             !b.pattern.isNull()) {
    painter_.fillPath(path, QBrush(b.pattern));
  } else {
    painter_.fillPath(path, color);
  }
  painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void Player::Draw(const QPainterPath& path, bool fill, bool stroke) {
  if (inPath_) {
    path_.addPath(path);
    return;
  }
  ApplyClip();
  if (fill) Fill(path);
  if (stroke) Stroke(path);
}

QRectF Player::DeviceBox(QRectF box, bool withPen) const {
  QRectF r = LogicalToDevice().mapRect(box.normalized());
  r = QRectF(QPointF(std::round(r.left()), std::round(r.top())),
             QPointF(std::round(r.right()), std::round(r.bottom())));
  // GDI's outline lies inside the box and leaves the right and bottom edges out.
  if (withPen && (dc_.pen.style & 0xF) != PS_NULL) r.adjust(0, 0, -1, -1);
  return r;
}

void Player::MoveTo(QPointF p) {
  dc_.position = p;
  if (inPath_) path_.moveTo(LogicalToDevice().map(p));
}

void Player::LineTo(QPointF p) {
  const QTransform t = LogicalToDevice();
  if (inPath_) {
    // A path that only set its fill rule already holds a move to (0, 0): isEmpty() sees
    // past it, and moveTo() replaces it.
    if (path_.isEmpty()) path_.moveTo(t.map(dc_.position));
    path_.lineTo(t.map(p));
  } else {
    QPainterPath line(t.map(dc_.position));
    line.lineTo(t.map(p));
    ApplyClip();
    Stroke(line);
  }
  dc_.position = p;
}

void Player::Polyline(const std::vector<QPointF>& points) {
  if (points.size() < 2 && !inPath_) return;
  if (points.empty()) return;
  const QTransform t = LogicalToDevice();
  QPainterPath path(t.map(points[0]));
  for (size_t i = 1; i < points.size(); ++i)
    path.lineTo(t.map(points[i]));
  Draw(path, false, true);
}

void Player::PolylineTo(const std::vector<QPointF>& points) {
  for (const QPointF& p : points)
    LineTo(p);
}

void Player::PolyBezier(const std::vector<QPointF>& points, bool fromCurrent) {
  const QTransform t = LogicalToDevice();
  size_t i = 0;
  QPainterPath own;
  // PolyBezierTo inside a path bracket continues the figure under way.
  QPainterPath& path = fromCurrent && inPath_ ? path_ : own;
  if (fromCurrent) {
    if (path.isEmpty() || &path == &own) path.moveTo(t.map(dc_.position));
  } else {
    if (points.empty()) return;
    path.moveTo(t.map(points[0]));
    i = 1;
  }
  for (; i + 2 < points.size(); i += 3)
    path.cubicTo(t.map(points[i]), t.map(points[i + 1]), t.map(points[i + 2]));
  if (fromCurrent && !points.empty()) dc_.position = points.back();
  if (&path == &own) Draw(own, false, true);
}

void Player::Polygon(const std::vector<QPointF>& points) {
  if (points.size() < 2) return;
  PolyPolygon({points});
}

void Player::PolyPolygon(const std::vector<std::vector<QPointF>>& polygons) {
  const QTransform t = LogicalToDevice();
  QPainterPath path;
  path.setFillRule(dc_.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
  for (const auto& polygon : polygons) {
    QPolygonF device;
    for (const QPointF& p : polygon)
      device << t.map(p);
    if (!device.isEmpty()) path.addPolygon(device), path.closeSubpath();
  }
  Draw(path, true, true);
}

void Player::PolyPolyline(const std::vector<std::vector<QPointF>>& lines) {
  for (const auto& line : lines)
    Polyline(line);
}

void Player::Rectangle(QRectF box) {
  QPainterPath path;
  if (AxisAligned(LogicalToDevice()))
    path.addRect(DeviceBox(box, true));
  else
    path.addPolygon(LogicalToDevice().map(QPolygonF(box.normalized()))), path.closeSubpath();
  Draw(path, true, true);
}

void Player::RoundRect(QRectF box, QSizeF corner) {
  const QTransform t = LogicalToDevice();
  QRectF r = DeviceBox(box, true);
  QPainterPath path;
  path.addRoundedRect(r, std::abs(corner.width() * t.m11()) / 2,
                      std::abs(corner.height() * t.m22()) / 2);
  Draw(path, true, true);
}

void Player::Ellipse(QRectF box) {
  QPainterPath path;
  path.addEllipse(DeviceBox(box, true));
  Draw(path, true, true);
}

void Player::ArcShape(ArcKind kind, QRectF box, QPointF start, QPointF end) {
  const QTransform t = LogicalToDevice();
  const QRectF r = DeviceBox(box, true);
  if (r.width() <= 0 || r.height() <= 0) return;
  const QPointF c = r.center(), s = t.map(start), e = t.map(end);
  auto angle = [&](QPointF p) {
    return std::atan2(-(p.y() - c.y()) / r.height(), (p.x() - c.x()) / r.width()) * 180 / M_PI;
  };
  const double a1 = angle(s), a2 = angle(e);
  // Counter-clockwise on the logical page is clockwise on a device whose y axis is flipped.
  const bool counterClockwise = dc_.arcCounterClockwise != (t.determinant() < 0);
  double sweep = a2 - a1;
  if (counterClockwise) {
    if (sweep <= 0) sweep += 360;
  } else if (sweep >= 0) {
    sweep -= 360;
  }
  QPainterPath path;
  if (kind == ArcKind::Pie)
    path.moveTo(c), path.arcTo(r, a1, sweep), path.closeSubpath();
  else
    path.arcMoveTo(r, a1), path.arcTo(r, a1, sweep);
  if (kind == ArcKind::Chord) path.closeSubpath();
  Draw(path, kind != ArcKind::Arc, true);
}

void Player::SetPixel(QPointF p, uint32_t color) {
  // A point maps to the device pixel nearest to it, as GDI rounds: the mapping's rounding
  // error must not move it to the pixel before.
  const QPointF d = LogicalToDevice().map(p);
  ApplyClip();
  painter_.fillRect(QRectF(std::round(d.x()), std::round(d.y()), 1, 1), Color(color));
}

} // namespace gdi
