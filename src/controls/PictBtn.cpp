#include "controls/PictBtn.h"

#include "bmp/Bitmap.h"
#include "controls/CrispScaling.h"
#include "controls/SystemColors.h"
#include "qt/BitmapQt.h"
#include "qt/PainterTarget.h"

#include <QEvent>
#include <QPainter>

#include <cmath>

namespace {

constexpr TColor kNoPixel = 0xFFFFFFFF;

QImage DrawAtOwnSize(const TGraphic* graphic) {
  const int w = graphic ? graphic->Width() : 0;
  const int h = graphic ? graphic->Height() : 0;
  QImage image(w, h, QImage::Format_RGB32);
  if (image.isNull()) return image;
  image.fill(Qt::white); // a new bitmap starts white
  QPainter painter(&image);
  TPainterTarget target(painter);
  graphic->Draw(target, TRect{0, 0, w, h});
  return image;
}

} // namespace

// The picture starts empty: no default bitmap ships with the program.
TPictButton::TPictButton(QWidget* owner) : THitColorControl(owner) {
  resize(0, 0);
}

TPictButton::~TPictButton() = default;

void TPictButton::SetPicture(const TGraphic* graphic) {
  picture_ = graphic && !graphic->Empty() ? graphic->Clone() : nullptr;
  PictureChanged();
}

QImage TPictButton::PictureImage() const {
  return DrawAtOwnSize(picture_.get());
}

void TPictButton::SetPictureImage(const QImage& image) {
  if (image.isNull()) {
    SetPicture(nullptr);
    return;
  }
  TBitmap bitmap;
  QImageToBitmap(image, bitmap);
  SetPicture(&bitmap);
}

void TPictButton::PictureChanged() {
  const int w = picture_ ? picture_->Width() : 0;
  const int h = picture_ ? picture_->Height() : 0;
  setGeometry(x(), y(), w, h);
  const bool bitmap = dynamic_cast<const TBitmap*>(picture_.get()) != nullptr;
  setAttribute(Qt::WA_OpaquePaintEvent, bitmap && size() == QSize(w, h));
  update();
}

TColor TPictButton::Color() const {
  return ParentColorOf(this);
}

TColor TPictButton::ShownPixel(const QPoint& point) const {
  // The pixel drawn under the point: the picture is scaled and centred on scaled screens.
  const qreal ratio = devicePixelRatioF();
  const QPointF device =
      QPointF(point) * ratio - QPointF(CrispOffset(shown_.size(), size(), ratio));
  const int scale = WholeScale(ratio);
  const QPoint pixel(static_cast<int>(std::floor(device.x() / scale)),
                     static_cast<int>(std::floor(device.y() / scale)));
  if (!shown_.rect().contains(pixel)) return kNoPixel;
  return QColorToColor(shown_.pixelColor(pixel));
}

void TPictButton::changeEvent(QEvent* event) {
  if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange) update();
  THitColorControl::changeEvent(event);
}

void TPictButton::paintEvent(QPaintEvent*) {
  const TColor color = Color();
  SetBackgroundColor(color);
  work_ = DrawAtOwnSize(picture_.get());
  if (size() != work_.size()) resize(work_.size());

  shown_ = work_;
  if (!work_.isNull()) {
    const QRgb transparent = work_.pixel(0, work_.height() - 1);
    SetTransparentColor(QColorToColor(QColor(transparent)));
    const QRgb brush = ColorToQColor(color).rgb();
    for (int y = 0; y < shown_.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(shown_.scanLine(y));
      for (int x = 0; x < shown_.width(); ++x)
        if (row[x] == transparent) row[x] = brush;
    }
  }
  QPainter painter(this);
  if (!shown_.isNull()) painter.fillRect(rect(), ColorToQColor(color));
  painter.drawPixmap(0, 0, CrispPixmap(shown_, size(), devicePixelRatioF()));
  painter.end();
  UpdateCursor(HitTest(mapFromGlobal(QCursor::pos())));
}
