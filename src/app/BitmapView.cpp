#include "app/BitmapView.h"

#include "qt/BitmapQt.h"

#include <QPaintEvent>
#include <QPainter>

TBitmapView::TBitmapView(QWidget* parent) : QWidget(parent) {}

void TBitmapView::SetBitmap(std::shared_ptr<const TBitmap> bitmap) {
  bitmap_ = std::move(bitmap);
  update();
}

QSize TBitmapView::BitmapSize() const {
  if (!bitmap_ || bitmap_->Empty()) return {};
  const qreal ratio = devicePixelRatioF();
  return QSizeF(bitmap_->Width() / ratio, bitmap_->Height() / ratio).toSize();
}

void TBitmapView::paintEvent(QPaintEvent* event) {
  if (!bitmap_ || bitmap_->Empty()) return;
  QPainter painter(this);
  const qreal ratio = devicePixelRatioF();
  for (const QRect& exposed : event->region()) {
    // The device pixels under the exposed logical rectangle, rounded outwards.
    const QRect pixels =
        QRectF(QPointF(exposed.topLeft()) * ratio, QSizeF(exposed.size()) * ratio).toAlignedRect();
    QImage part = BitmapToQImage(*bitmap_, pixels);
    if (part.isNull()) continue;
    part.setDevicePixelRatio(ratio);
    const QRect drawn = pixels.intersected(QRect(0, 0, bitmap_->Width(), bitmap_->Height()));
    painter.drawImage(QPointF(drawn.topLeft()) / ratio, part);
  }
}
