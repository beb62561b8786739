// The player's construction and its coordinate mapping: logical to device pixels.
#include "qt/GdiPlayer.h"

#include <algorithm>
#include <cmath>

namespace gdi {

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

} // namespace gdi
