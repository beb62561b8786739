// Text output: the device font and the placement of each character.
#include "qt/GdiPlayer.h"

#include "qt/GuiApplication.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

namespace gdi {

namespace {

// Fonts beyond this many device pixels draw nothing useful and make glyph rendering slow.
constexpr double kMaxFontPixels = 2048;

} // namespace

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

} // namespace gdi
