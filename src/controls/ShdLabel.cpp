#include "controls/ShdLabel.h"

#include "controls/CaptionText.h"
#include "controls/Docking.h"
#include "controls/Fonts.h"
#include "controls/SystemColors.h"

#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>

#include <algorithm>

namespace {

constexpr TColor kDisabledShadow = 0x00FFFFFF;
constexpr TColor kDisabledText = 0x00808080;

} // namespace

TShadowedLabel::TShadowedLabel(QWidget* owner) : QWidget(owner), docking_(new TDocking(this)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFont(ControlFont("Arial", -13)); // 10 points at 96 pixels per inch
  SetFontColor(clBlack);
}

void TShadowedLabel::SetShadowType(TShadowType value) {
  if (shadowType_ == value) return;
  shadowType_ = value;
  update();
}

void TShadowedLabel::SetSolidShadow(bool value) {
  if (solidShadow_ == value) return;
  solidShadow_ = value;
  update();
}

void TShadowedLabel::SetShadowColor(TColor value) {
  if (shadowColor_ == value) return;
  shadowColor_ = value;
  update();
}

void TShadowedLabel::SetShadowDown(uint16_t value) {
  if (shadowDown_ == value) return;
  shadowDown_ = value;
  update();
}

void TShadowedLabel::SetShadowLeft(uint16_t value) {
  if (shadowLeft_ == value) return;
  shadowLeft_ = value;
  update();
}

void TShadowedLabel::SetCaption(const QString& value) {
  if (caption_ == value) return;
  caption_ = value;
  UpdateShortcut();
  AdjustBounds();
  update();
}

TAlign TShadowedLabel::Align() const {
  return docking_->Align();
}

void TShadowedLabel::SetAlign(TAlign value) {
  docking_->SetAlign(value);
}

void TShadowedLabel::SetAlignment(TAlignment value) {
  if (alignment_ == value) return;
  alignment_ = value;
  update();
}

void TShadowedLabel::SetAutoSize(bool value) {
  if (autoSize_ == value) return;
  autoSize_ = value;
  AdjustBounds();
  update();
}

void TShadowedLabel::SetColor(TColor value) {
  if (color_ == value) return;
  color_ = value;
  update();
}

TColor TShadowedLabel::FontColor() const {
  return QColorToColor(palette().color(QPalette::WindowText));
}

void TShadowedLabel::SetFontColor(TColor value) {
  QPalette own = palette();
  own.setColor(QPalette::WindowText, ColorToQColor(value));
  setPalette(own);
}

void TShadowedLabel::SetShowAccelChar(bool value) {
  if (showAccelChar_ == value) return;
  showAccelChar_ = value;
  UpdateShortcut();
  AdjustBounds();
  update();
}

void TShadowedLabel::UpdateShortcut() {
  if (shortcut_) releaseShortcut(shortcut_);
  shortcut_ = 0;
  const QChar accel = AcceleratorOf(LimitCaption(caption_));
  if (!showAccelChar_ || accel.isNull()) return;
  const QKeySequence bare{QString(accel)};
  if (!bare.isEmpty())
    shortcut_ = grabShortcut(QKeySequence(QKeyCombination(Qt::AltModifier, bare[0].key())));
}

bool TShadowedLabel::event(QEvent* event) {
  if (event->type() == QEvent::Shortcut && shortcut_ &&
      static_cast<QShortcutEvent*>(event)->shortcutId() == shortcut_) {
    if (focusControl_ && focusControl_->isEnabled() && focusControl_->isVisible())
      focusControl_->setFocus(Qt::ShortcutFocusReason);
    return true;
  }
  return QWidget::event(event);
}

void TShadowedLabel::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange) AdjustBounds();
  QWidget::changeEvent(event);
}

void TShadowedLabel::mousePressEvent(QMouseEvent* event) {
  event->accept();
  leftPressed_ = event->button() == Qt::LeftButton;
}

void TShadowedLabel::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton || !leftPressed_) return;
  leftPressed_ = false;
  if (rect().contains(event->position().toPoint())) emit clicked();
}

TShadowedLabel::TAnchor TShadowedLabel::ComputeAnchor() const {
  const TCaptionSize size =
      MeasureCaption(QFontMetrics(font()), LimitCaption(caption_), showAccelChar_);
  TAnchor anchor{0, 0, size.Width, size.Height};
  const int width = size.Width;
  switch (alignment_) {
  case taLeftJustify:
    anchor.X = shadowLeft_ - 1;
    break;
  case taCenter:
    anchor.X = (this->width() - width) / 2 + 2;
    break;
  case taRightJustify:
    anchor.X = this->width() - width - 1;
    break;
  }
  return anchor;
}

std::vector<TTextDraw> TShadowedLabel::PlanDraws() const {
  const TAnchor a = ComputeAnchor();
  const int l = shadowLeft_;
  const int d = shadowDown_;
  auto box = [&a](int left, int top) { return TRect{left, top, left + a.Width, top + a.Height}; };
  // Top-left corners of the shadow box, where the solid shadow starts; of the text box, where
  // it ends; and the direction the shadow moves in towards the text.
  int shadowX = a.X, shadowY = a.Y, textX = a.X, textY = a.Y, stepX = 1, stepY = 1;
  switch (shadowType_) {
  case shdULeft:
    shadowX = a.X - l;
    textY = a.Y + d;
    break;
  case shdDLeft:
    shadowX = a.X - l;
    shadowY = a.Y + d;
    stepY = -1;
    break;
  case shdURight:
    textX = a.X - l;
    textY = a.Y + d;
    stepX = -1;
    break;
  case shdDRight:
    shadowY = a.Y + d;
    textX = a.X - l;
    stepX = -1;
    stepY = -1;
    break;
  }

  const TColor shadowColor = isEnabled() ? shadowColor_ : kDisabledShadow;
  std::vector<TTextDraw> draws{{box(shadowX, shadowY), shadowColor}};
  if (solidShadow_) {
    const int steps = std::max(l, d);
    for (int i = 0; i <= steps; ++i)
      draws.push_back(
          {box(shadowX + stepX * std::min(i, l), shadowY + stepY * std::min(i, d)), shadowColor});
  }
  draws.push_back({box(textX, textY), isEnabled() ? FontColor() : kDisabledText});
  return draws;
}

void TShadowedLabel::AdjustBounds() {
  if (!autoSize_) return;
  const TCaptionSize size =
      MeasureCaption(QFontMetrics(font()), LimitCaption(caption_), showAccelChar_);
  QRect bounds = geometry();
  const int right = bounds.right();
  switch (Align()) {
  case alNone:
    bounds.setSize({size.Width, size.Height});
    break;
  case alTop:
  case alBottom:
    bounds.setHeight(size.Height);
    break;
  case alLeft:
  case alRight:
    bounds.setWidth(size.Width);
    break;
  case alClient:
    break;
  }
  if (alignment_ == taRightJustify) bounds.moveRight(right);
  if (bounds != geometry()) setGeometry(bounds);
}

void TShadowedLabel::ApplyAutoSize(const TAnchor& anchor) {
  if (!autoSize_) return;
  const int wantWidth = anchor.Width + shadowLeft_;
  const int wantHeight = anchor.Height + shadowDown_;
  const QSize size = AutoSizeFor(Align(), this->size(), {wantWidth, wantHeight});
  if (size != this->size()) resize(size);
}

void TShadowedLabel::paintEvent(QPaintEvent*) {
  const TAnchor anchor = ComputeAnchor();
  txtWidth_ = anchor.Width;
  txtHeight_ = anchor.Height;
  ApplyAutoSize(anchor);

  QPainter painter(this);
  painter.fillRect(rect(), ColorToQColor(color_));
  painter.setFont(font());
  TCaptionFormat format;
  format.Alignment = alignment_ == taLeftJustify ? Qt::AlignLeft
                     : alignment_ == taCenter    ? Qt::AlignHCenter
                                                 : Qt::AlignRight;
  format.ShowAccelChar = showAccelChar_;
  const QString caption = LimitCaption(caption_);
  for (const TTextDraw& draw : PlanDraws()) {
    format.Color = ColorToQColor(draw.Color);
    DrawCaption(painter, draw.Box, caption, format);
  }
}
