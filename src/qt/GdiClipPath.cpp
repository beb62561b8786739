// Clipping and the path bracket.
#include "qt/GdiPlayer.h"

#include <utility>

namespace gdi {

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
  CombineClip(region.simplified(), mode);
}

void Player::CombineClip(const QPainterPath& region, int mode) {
  if (!dc_.clip || mode == 5) {
    dc_.clip = region;
    return;
  }
  const QPainterPath& clip = *dc_.clip;
  switch (mode) {
  case 1:
    dc_.clip = clip.intersected(region);
    break;
  case 2:
    dc_.clip = clip.united(region);
    break;
  case 3:
    dc_.clip = clip.united(region).subtracted(clip.intersected(region));
    break;
  case 4:
    dc_.clip = clip.subtracted(region);
    break;
  }
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
  CombineClip(std::exchange(path_, QPainterPath()), mode);
}

} // namespace gdi
