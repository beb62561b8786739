#include "qt/GdiPlayer.h"

#include "bmp/Bitmap.h"
#include "io/ByteReader.h"
#include "io/Exceptions.h"
#include "io/Streams.h"
#include "qt/BitmapQt.h"
#include "qt/GuiApplication.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

namespace gdi {

namespace {

// Deeper SaveDC nesting than any real drawing needs; beyond it saves are ignored so that a
// hostile file cannot grow the stack without bound.
constexpr size_t kMaxSavedStates = 1024;
// Fonts beyond this many device pixels draw nothing useful and make glyph rendering slow.
constexpr double kMaxFontPixels = 2048;

bool AxisAligned(const QTransform& t) {
  return t.m12() == 0 && t.m21() == 0;
}

double Scale(const QTransform& t) {
  return std::sqrt(std::abs(t.determinant()));
}

QPainter::CompositionMode BltMode(uint32_t rop) {
  switch (rop) {
  case 0x00EE0086:
    return QPainter::RasterOp_SourceOrDestination; // SRCPAINT
  case 0x008800C6:
    return QPainter::RasterOp_SourceAndDestination; // SRCAND
  case 0x00660046:
    return QPainter::RasterOp_SourceXorDestination; // SRCINVERT
  case 0x00330008:
    return QPainter::RasterOp_NotSource; // NOTSRCCOPY
  case 0x00BB0226:
    return QPainter::RasterOp_NotSourceOrDestination; // MERGEPAINT
  case 0x00440328:
    return QPainter::RasterOp_SourceAndNotDestination; // SRCERASE
  default:
    return QPainter::CompositionMode_SourceOver;
  }
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

Player::Player(QPainter& painter, QTransform frame, double pixelsPerMm,
               std::optional<QRectF> windowToTarget)
    : painter_(painter), frame_(frame), pixelsPerMm_(pixelsPerMm > 0 ? pixelsPerMm : 96 / 25.4),
      windowToTarget_(windowToTarget) {
  painter_.save();
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setRenderHint(QPainter::TextAntialiasing, true);
  painter_.setTransform(QTransform());
  objects_.resize(256);
}

Player::~Player() {
  painter_.restore();
}

QTransform Player::PageTransform() const {
  QPointF scale(1, 1), vpOrg = dc_.viewportOrg, vpExt = dc_.viewportExt;
  int mode = dc_.mapMode;
  if (windowToTarget_) {
    mode = MM_ANISOTROPIC;
    vpOrg = windowToTarget_->topLeft();
    vpExt = QPointF(windowToTarget_->width(), windowToTarget_->height());
  }
  auto fixed = [&](double unitsPerMm) {
    scale = {pixelsPerMm_ / unitsPerMm, -pixelsPerMm_ / unitsPerMm};
  };
  switch (mode) {
  case MM_LOMETRIC:
    fixed(10);
    break;
  case MM_HIMETRIC:
    fixed(100);
    break;
  case MM_LOENGLISH:
    fixed(100 / 25.4);
    break;
  case MM_HIENGLISH:
    fixed(1000 / 25.4);
    break;
  case MM_TWIPS:
    fixed(1440 / 25.4);
    break;
  case MM_ISOTROPIC:
  case MM_ANISOTROPIC: {
    const double wx = dc_.windowExt.x() ? dc_.windowExt.x() : 1;
    const double wy = dc_.windowExt.y() ? dc_.windowExt.y() : 1;
    scale = {vpExt.x() / wx, vpExt.y() / wy};
    if (mode == MM_ISOTROPIC) {
      const double m = std::min(std::abs(scale.x()), std::abs(scale.y()));
      scale = {std::copysign(m, scale.x()), std::copysign(m, scale.y())};
    }
    break;
  }
  default:
    break;
  }
  QTransform t;
  t.translate(vpOrg.x(), vpOrg.y());
  t.scale(scale.x(), scale.y());
  t.translate(-dc_.windowOrg.x(), -dc_.windowOrg.y());
  return t;
}

QTransform Player::LogicalToDevice() const {
  return dc_.world * PageTransform() * frame_;
}

QColor Player::Color(uint32_t c) const {
  if ((c >> 24) == 1) {
    const size_t index = c & 0xFFFF;
    return index < dc_.palette.entries.size() ? QColor(dc_.palette.entries[index])
                                              : QColor(Qt::black);
  }
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

// ---- objects and states ----

void Player::SetTableSize(size_t size) {
  objects_.assign(std::min<size_t>(size, 65536), {});
}

void Player::CreateObject(int slot, Object object) {
  if (slot < 0) {
    auto free = std::find_if(objects_.begin(), objects_.end(), [](const Object& o) {
      return std::holds_alternative<std::monostate>(o);
    });
    if (free != objects_.end()) *free = std::move(object);
    return;
  }
  if (static_cast<size_t>(slot) >= objects_.size()) {
    if (slot >= 65536) return;
    objects_.resize(static_cast<size_t>(slot) + 1);
  }
  objects_[static_cast<size_t>(slot)] = std::move(object);
}

void Player::SelectObject(size_t slot) {
  if (slot >= objects_.size()) return;
  const Object& o = objects_[slot];
  if (auto* pen = std::get_if<Pen>(&o))
    dc_.pen = *pen;
  else if (auto* brush = std::get_if<Brush>(&o))
    dc_.brush = *brush;
  else if (auto* font = std::get_if<Font>(&o))
    dc_.font = *font;
  else if (auto* palette = std::get_if<Palette>(&o))
    dc_.palette = *palette;
}

void Player::SelectStockObject(uint32_t index) {
  static const uint32_t greys[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
  if (index <= 4)
    dc_.brush = Brush{BS_SOLID, greys[index], 0, {}};
  else if (index == 5)
    dc_.brush = Brush{BS_NULL, 0, 0, {}};
  else if (index == 6)
    dc_.pen = Pen{0, 0, 0xFFFFFF};
  else if (index == 7)
    dc_.pen = Pen{0, 0, 0};
  else if (index == 8)
    dc_.pen = Pen{PS_NULL, 0, 0};
  else if (index == 15)
    dc_.palette = {};
  else if (index >= 10 && index <= 17)
    dc_.font = Font{};
}

void Player::DeleteObject(size_t slot) {
  if (slot < objects_.size()) objects_[slot] = std::monostate{};
}

void Player::SaveDc() {
  if (saved_.size() < kMaxSavedStates) saved_.push_back(dc_);
}

void Player::RestoreDc(int which) {
  // Negative: relative to the newest save; positive: the n-th save counted from the first.
  size_t keep;
  if (which < 0) {
    const size_t back = static_cast<size_t>(-static_cast<int64_t>(which));
    if (back > saved_.size()) return;
    keep = saved_.size() - back;
  } else {
    if (which == 0 || static_cast<size_t>(which) > saved_.size()) return;
    keep = static_cast<size_t>(which) - 1;
  }
  dc_ = saved_[keep];
  saved_.resize(keep);
}

// ---- drawing ----

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
    if (path_.elementCount() == 0) path_.moveTo(t.map(dc_.position));
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
    if (path.elementCount() == 0 || &path == &own) path.moveTo(t.map(dc_.position));
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
  const QPointF d = LogicalToDevice().map(p);
  ApplyClip();
  painter_.fillRect(QRectF(std::floor(d.x()), std::floor(d.y()), 1, 1), Color(color));
}

QFont Player::DeviceFont(double& pixelSize) const {
  EnsureGuiApplication();
  const Font& f = dc_.font;
  QFont font(f.face.isEmpty() ? QStringLiteral("Sans Serif") : f.face);
  const QTransform t = LogicalToDevice();
  const double yScale = std::hypot(t.m21(), t.m22());
  double size = f.height == 0 ? 12 : std::abs(f.height) * yScale;
  if (f.height > 0) {
    // A positive height is the character cell, ascent plus descent, not the em size.
    QFont probe(font);
    probe.setPixelSize(100);
    QFontMetricsF m(probe);
    if (m.height() > 0) size *= 100 / m.height();
  }
  pixelSize = std::clamp(size, 1.0, kMaxFontPixels);
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixelSize))));
  font.setWeight(static_cast<QFont::Weight>(std::clamp(f.weight ? f.weight : 400, 100, 900)));
  font.setItalic(f.italic);
  font.setUnderline(f.underline);
  font.setStrikeOut(f.strikeOut);
  return font;
}

void Player::TextOut(QPointF reference, const QString& text, int options,
                     std::optional<QRectF> rect, const std::vector<double>& dx) {
  if (inPath_) return;
  const QTransform t = LogicalToDevice();
  ApplyClip();
  if (rect && (options & ETO_OPAQUE))
    painter_.fillRect(DeviceBox(*rect, false), Color(dc_.bkColor));
  if (text.isEmpty()) return;
  double pixelSize = 0;
  const QFont font = DeviceFont(pixelSize);
  const QFontMetricsF metrics(font);
  const double xScale = std::hypot(t.m11(), t.m12());
  std::vector<double> advances;
  double width = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const double a = i < static_cast<qsizetype>(dx.size()) ? dx[static_cast<size_t>(i)] * xScale
                                                           : metrics.horizontalAdvance(text[i]);
    advances.push_back(a);
    width += a;
  }
  const bool updateCp = dc_.textAlign & TA_UPDATECP;
  const QPointF anchor = t.map(updateCp ? dc_.position : reference);
  double x = 0, baseline = 0;
  switch (dc_.textAlign & TA_CENTER) {
  case TA_CENTER:
    x = -width / 2;
    break;
  case TA_RIGHT:
    x = -width;
    break;
  default:
    break;
  }
  switch (dc_.textAlign & TA_BASELINE) {
  case TA_BASELINE:
    break;
  case TA_BOTTOM:
    baseline = -metrics.descent();
    break;
  default:
    baseline = metrics.ascent();
    break;
  }
  painter_.save();
  if (rect && (options & ETO_CLIPPED))
    painter_.setClipRect(DeviceBox(*rect, false), Qt::IntersectClip);
  painter_.translate(anchor);
  painter_.rotate(-dc_.font.escapement / 10.0);
  if (dc_.bkMode == OPAQUE)
    painter_.fillRect(QRectF(x, baseline - metrics.ascent(), width, metrics.height()),
                      Color(dc_.bkColor));
  painter_.setFont(font);
  painter_.setPen(Color(dc_.textColor));
  if (dx.empty()) {
    painter_.drawText(QPointF(x, baseline), text);
  } else {
    double at = x;
    for (qsizetype i = 0; i < text.size(); ++i) {
      painter_.drawText(QPointF(at, baseline), QString(text[i]));
      at += advances[static_cast<size_t>(i)];
    }
  }
  painter_.restore();
  if (updateCp && (dc_.textAlign & TA_CENTER) != TA_CENTER) {
    const double move = (dc_.textAlign & TA_RIGHT) ? -width : width;
    bool invertible = false;
    const QTransform back = t.inverted(&invertible);
    if (invertible) dc_.position = back.map(anchor + QPointF(move, 0));
  }
}

void Player::StretchBlt(const QImage& image, QRectF dest, QRectF source, uint32_t rop) {
  if (inPath_ || image.isNull() || source.width() == 0 || source.height() == 0) return;
  QTransform m;
  m.translate(dest.x(), dest.y());
  m.scale(dest.width() / source.width(), dest.height() / source.height());
  m.translate(-source.x(), -source.y());
  ApplyClip();
  painter_.save();
  painter_.setCompositionMode(BltMode(rop));
  painter_.setTransform(m * LogicalToDevice());
  painter_.drawImage(source.topLeft(), image, source.normalized());
  painter_.restore();
}

void Player::PatBlt(QRectF dest, uint32_t rop) {
  QPainterPath path;
  path.addRect(DeviceBox(dest, false));
  ApplyClip();
  switch (rop) {
  case 0x00000042:
    painter_.fillPath(path, Qt::black);
    break; // BLACKNESS
  case 0x00FF0062:
    painter_.fillPath(path, Qt::white);
    break;         // WHITENESS
  case 0x00550009: // DSTINVERT
    painter_.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter_.fillPath(path, Qt::black);
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    break;
  case 0x005A0049: { // PATINVERT
    const int saved = dc_.rop2;
    dc_.rop2 = R2_XORPEN;
    Fill(path);
    dc_.rop2 = saved;
    break;
  }
  case 0x00AA0029:
    break; // destination unchanged
  default: {
    const int saved = dc_.rop2;
    dc_.rop2 = R2_COPYPEN;
    Fill(path);
    dc_.rop2 = saved;
  }
  }
}

// ---- clipping and paths ----

void Player::IntersectClip(QRectF box) {
  QPainterPath p;
  p.addRect(DeviceBox(box, false));
  dc_.clip = dc_.clip ? dc_.clip->intersected(p) : p;
}

void Player::ExcludeClip(QRectF box) {
  QPainterPath p;
  p.addRect(DeviceBox(box, false));
  QPainterPath whole;
  whole.addRect(QRectF(-1e6, -1e6, 2e6, 2e6));
  dc_.clip = (dc_.clip ? *dc_.clip : whole).subtracted(p);
}

void Player::SetClipRects(const std::vector<QRectF>& rects, int mode) {
  if (rects.empty()) {
    if (mode == 5) dc_.clip.reset(); // RGN_COPY of no region: no clipping
    return;
  }
  QPainterPath region;
  for (const QRectF& r : rects)
    region.addRect(frame_.mapRect(r));
  region = region.simplified();
  if (!dc_.clip || mode == 5)
    dc_.clip = region;
  else if (mode == 1)
    dc_.clip = dc_.clip->intersected(region); // RGN_AND
  else if (mode == 2)
    dc_.clip = dc_.clip->united(region); // RGN_OR
  else if (mode == 4)
    dc_.clip = dc_.clip->subtracted(region); // RGN_DIFF
  else
    dc_.clip = region;
}

void Player::BeginPath() {
  inPath_ = true;
  path_ = QPainterPath();
  path_.setFillRule(dc_.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
}

void Player::EndPath() {
  inPath_ = false;
}
void Player::AbortPath() {
  inPath_ = false, path_ = QPainterPath();
}
void Player::CloseFigure() {
  if (inPath_) path_.closeSubpath();
}

void Player::FillPath(bool fill, bool stroke) {
  inPath_ = false;
  QPainterPath path = path_;
  path.setFillRule(dc_.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
  path_ = QPainterPath();
  Draw(path, fill, stroke);
}

void Player::SelectClipPath(int mode) {
  inPath_ = false;
  QPainterPath region = path_;
  path_ = QPainterPath();
  if (!dc_.clip || mode == 5)
    dc_.clip = region;
  else if (mode == 1)
    dc_.clip = dc_.clip->intersected(region);
  else if (mode == 2)
    dc_.clip = dc_.clip->united(region);
  else if (mode == 4)
    dc_.clip = dc_.clip->subtracted(region);
}

// ---- bitmaps ----

namespace {

// Bytes of a DIB's info header plus its colour table (and bit masks).
size_t InfoBlockSize(std::span<const uint8_t> dib) {
  if (dib.size() < 12) return dib.size();
  const uint32_t headerSize = LoadU32LE(dib.data());
  if (headerSize == 12) {
    const uint16_t bpp = LoadU16LE(dib.data() + 10);
    return std::min<size_t>(12 + (bpp <= 8 ? 3 * (size_t{1} << bpp) : 0), dib.size());
  }
  if (headerSize < 40 || dib.size() < 40) return dib.size();
  const uint16_t bpp = LoadU16LE(dib.data() + 14);
  const uint32_t compression = LoadU32LE(dib.data() + 16);
  const uint32_t used = LoadU32LE(dib.data() + 32);
  size_t table = 4 * (used ? std::min<uint32_t>(used, 256) : bpp <= 8 ? 1u << bpp : 0);
  if (compression == 3 && headerSize == 40) table += 12;
  if (compression == 6 && headerSize == 40) table += 16;
  return std::min<size_t>(size_t{headerSize} + table, dib.size());
}

} // namespace

QImage DecodeDib(std::span<const uint8_t> info, std::span<const uint8_t> bits) {
  if (info.size() < 12) return {};
  std::vector<uint8_t> file(14);
  file[0] = 'B', file[1] = 'M';
  StoreU32LE(file.data() + 2, static_cast<uint32_t>(14 + info.size() + bits.size()));
  StoreU32LE(file.data() + 10, static_cast<uint32_t>(14 + info.size()));
  file.insert(file.end(), info.begin(), info.end());
  file.insert(file.end(), bits.begin(), bits.end());
  try {
    TBitmap bitmap;
    ReadBmp(file, bitmap);
    return BitmapToQImage(bitmap);
  } catch (const Exception&) {
    return {};
  }
}

QImage DecodePackedDib(std::span<const uint8_t> dib) {
  const size_t info = InfoBlockSize(dib);
  return DecodeDib(dib.first(info), dib.subspan(info));
}

} // namespace gdi
