#include "controls/CrispScaling.h"

#include <QIconEngine>
#include <QPainter>

#include <cmath>

namespace {

class TCrispIconEngine : public QIconEngine {
public:
  explicit TCrispIconEngine(QImage image) : image_(std::move(image)) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
    const qreal ratio = painter->device()->devicePixelRatioF();
    painter->drawPixmap(rect.topLeft(), CrispPixmap(image_, rect.size(), ratio));
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return scaledPixmap(size, mode, state, 1);
  }
  // Qt asks for the size in device pixels.
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode, QIcon::State, qreal scale) override {
    QPixmap pixmap = CrispPixmap(image_, (QSizeF(size) / scale).toSize(), scale);
    return pixmap;
  }
  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
  QIconEngine* clone() const override { return new TCrispIconEngine(image_); }

private:
  QImage image_;
};

} // namespace

int WholeScale(qreal ratio) {
  return std::max(1, static_cast<int>(std::floor(ratio + 1e-6)));
}

QPoint CrispOffset(QSize image, QSize logical, qreal ratio) {
  const QSize device = (QSizeF(logical) * ratio).toSize();
  const QSize scaled = image * WholeScale(ratio);
  return {(device.width() - scaled.width()) / 2, (device.height() - scaled.height()) / 2};
}

QPixmap CrispPixmap(const QImage& image, QSize logical, qreal ratio) {
  QPixmap pixmap((QSizeF(logical) * ratio).toSize());
  if (pixmap.isNull()) return pixmap;
  pixmap.fill(Qt::transparent);
  if (!image.isNull()) {
    QPainter painter(&pixmap);
    const int scale = WholeScale(ratio);
    painter.drawImage(QRect(CrispOffset(image.size(), logical, ratio), image.size() * scale),
                      image);
  }
  pixmap.setDevicePixelRatio(ratio);
  return pixmap;
}

QIcon CrispIcon(const QImage& image) {
  return QIcon(new TCrispIconEngine(image));
}
