#include "controls/UniPanel.h"

#include "controls/CaptionText.h"
#include "controls/Docking.h"
#include "controls/Frame3D.h"
#include "controls/PostedClick.h"
#include "controls/SystemColors.h"

#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>

#include <algorithm>
#include <array>

namespace {

struct TFramePair {
  TUniPanel::TfrColor Frame;
  TColor HighLight;
  TColor Shadow;
};

constexpr std::array<TFramePair, 6> kFramePairs = {{
    {TUniPanel::frDefault, clBtnHighlight, clBtnShadow},
    {TUniPanel::frGreen, 0x0000FF00, 0x00008000},
    {TUniPanel::frYellow, 0x0000FFFF, 0x00008080},
    {TUniPanel::frBlue, 0x00FFFF00, 0x00800000},
    {TUniPanel::frRed, 0x000000FF, 0x00000080},
    {TUniPanel::frPurple, 0x00FF00FF, 0x00800080},
}};

bool UsableWindow(const QWidget* widget) {
  return widget && widget->isEnabled();
}

} // namespace

TUniPanel::TUniPanel(QWidget* owner) : QWidget(owner), docking_(new TDocking(this)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  captnBckColor_ = color_;
  // The caption colour and the font colour are one value; the palette holds the font's.
  QPalette own = palette();
  own.setColor(QPalette::WindowText, ColorToQColor(captnTxtColor_));
  setPalette(own);
  SetBevelOuter(bvORaised);
}

void TUniPanel::SetFocusHandle(QWidget* handle) {
  if (!UsableWindow(handle)) return;
  focusHandle_ = handle;
}

void TUniPanel::SetAlignment(TAlignment value) {
  if (alignment_ == value) return;
  alignment_ = value;
  update();
}

void TUniPanel::SetAlignmentVert(TAlignmentV value) {
  if (alignmentVert_ == value) return;
  alignmentVert_ = value;
  update();
}

void TUniPanel::SetAutoSize(bool value) {
  if (autoSize_ == value) return;
  autoSize_ = value;
  update();
}

void TUniPanel::SetCaptnColorDiff(bool value) {
  if (captnColorDiff_ == value) return;
  captnColorDiff_ = value;
  if (!value) SetCaptnBckColor(color_);
  update();
}

void TUniPanel::SetCaptnTxtColor(TColor value) {
  if (captnTxtColor_ == value) return;
  captnTxtColor_ = value;
  SetFontColor(value);
  update();
}

void TUniPanel::SetCaptnBckColor(TColor value) {
  if (captnBckColor_ == value) return;
  captnBckColor_ = value;
  if (!captnColorDiff_ && value != color_) SetCaptnColorDiff(true);
  update();
}

void TUniPanel::SetFocusControl(QWidget* control) {
  if (focusControl_ == control) return;
  if (focusControl_) disconnect(focusControl_, &QObject::destroyed, this, nullptr);
  focusControl_ = control;
  focusHandle_ = control;
  if (control) {
    connect(control, &QObject::destroyed, this, [this] {
      focusControl_ = nullptr;
      focusHandle_ = nullptr;
    });
  }
}

void TUniPanel::SetUseAltKey(bool value) {
  useAltKey_ = value;
  UpdateShortcuts();
}

void TUniPanel::SetShowAccelChar(bool value) {
  if (showAccelChar_ == value) return;
  showAccelChar_ = value;
  UpdateShortcuts();
  update();
}

void TUniPanel::SetHighLight(TColor value) {
  if (highLight_ == value) return;
  highLight_ = value;
  const auto pair = std::find_if(kFramePairs.begin(), kFramePairs.end(), [this](auto& p) {
    return p.HighLight == highLight_ && p.Shadow == shadow_;
  });
  frameColor_ = pair == kFramePairs.end() ? frUser : pair->Frame;
  update();
}

void TUniPanel::SetShadow(TColor value) {
  if (shadow_ == value) return;
  shadow_ = value;
  const auto pair = std::find_if(kFramePairs.begin(), kFramePairs.end(), [this](auto& p) {
    return p.HighLight == highLight_ && p.Shadow == shadow_;
  });
  frameColor_ = pair == kFramePairs.end() ? frUser : pair->Frame;
  update();
}

void TUniPanel::SetFrameColor(TfrColor value) {
  if (frameColor_ == value) return;
  frameColor_ = value;
  for (const TFramePair& pair : kFramePairs) {
    if (pair.Frame != value) continue;
    highLight_ = pair.HighLight;
    shadow_ = pair.Shadow;
  }
  update();
}

// The bevel setters always repaint: the children's client area changes with them.
void TUniPanel::SetBevelInner(TPanelIBevel value) {
  bevelInner_ = value;
  update();
}

void TUniPanel::SetBevelOuter(TPanelOBevel value) {
  bevelOuter_ = value;
  update();
}

void TUniPanel::SetBevelWidth(int value) {
  value = std::max(1, value);
  if (bevelWidth_ == value) return;
  bevelWidth_ = value;
  update();
}

void TUniPanel::SetBorderWidth(int value) {
  value = std::max(0, value);
  if (borderWidth_ == value) return;
  borderWidth_ = value;
  update();
}

void TUniPanel::SetCaption(const QString& value) {
  if (caption_ == value) return;
  caption_ = value;
  UpdateShortcuts();
  update();
}

void TUniPanel::SetColor(TColor value) {
  if (color_ == value) return;
  color_ = value;
  update();
}

TColor TUniPanel::FontColor() const {
  return QColorToColor(palette().color(QPalette::WindowText));
}

void TUniPanel::SetFontColor(TColor value) {
  const QColor wanted = ColorToQColor(value);
  if (palette().color(QPalette::WindowText) == wanted) return;
  QPalette own = palette();
  own.setColor(QPalette::WindowText, wanted);
  setPalette(own);
}

TAlign TUniPanel::Align() const {
  return docking_->Align();
}

void TUniPanel::SetAlign(TAlign value) {
  docking_->SetAlign(value);
}

bool TUniPanel::TargetUsable() const {
  return UsableWindow(focusHandle_);
}

bool TUniPanel::IsAccelerator(QChar ch) const {
  const QChar accel = AcceleratorOf(LimitCaption(caption_));
  return !accel.isNull() && QString(accel).compare(QString(ch), Qt::CaseInsensitive) == 0;
}

bool TUniPanel::DialogChar(QChar ch, bool altHeld) {
  if (useAltKey_ && !altHeld) return false;
  const bool accel = showAccelChar_ && IsAccelerator(ch);
  bool handled = false;
  if (isEnabled() && accel && isVisible()) {
    setFocus(Qt::ShortcutFocusReason);
    handled = true;
    if (selfClickEmulation_) PostClick(this);
  }
  if (TargetUsable() && isEnabled() && accel) {
    handled = true;
    if (focusClickEmulation_) {
      focusHandle_->setFocus(Qt::ShortcutFocusReason);
      PostClick(focusHandle_);
    }
  }
  return handled;
}

// The accelerator reaches the panel as a window-wide shortcut: Alt with the letter always, the
// bare letter too while Alt is not required.
void TUniPanel::UpdateShortcuts() {
  for (int* id : {&altShortcut_, &plainShortcut_}) {
    if (*id) releaseShortcut(*id);
    *id = 0;
  }
  const QChar accel = AcceleratorOf(LimitCaption(caption_));
  if (!showAccelChar_ || accel.isNull()) return;
  const QKeySequence bare{QString(accel)};
  if (bare.isEmpty()) return;
  const Qt::Key key = bare[0].key();
  altShortcut_ = grabShortcut(QKeySequence(QKeyCombination(Qt::AltModifier, key)));
  if (!useAltKey_) plainShortcut_ = grabShortcut(QKeySequence(key));
}

bool TUniPanel::event(QEvent* event) {
  if (event->type() == QEvent::Shortcut) {
    const int id = static_cast<QShortcutEvent*>(event)->shortcutId();
    const QChar accel = AcceleratorOf(LimitCaption(caption_));
    if (id != 0 && (id == altShortcut_ || id == plainShortcut_)) {
      DialogChar(accel, id == altShortcut_);
      return true;
    }
  }
  return QWidget::event(event);
}

void TUniPanel::changeEvent(QEvent* event) {
  if (event->type() == QEvent::PaletteChange) {
    const TColor fontColor = FontColor();
    if (fontColor != ColorToRGB(captnTxtColor_)) SetCaptnTxtColor(fontColor);
    update();
  }
  QWidget::changeEvent(event);
}

void TUniPanel::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton) return;
  leftPressed_ = true;
  if (TargetUsable() && isEnabled() && focusClickCascade_) {
    focusHandle_->setFocus(Qt::MouseFocusReason);
    PostClick(focusHandle_);
  }
}

void TUniPanel::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton || !leftPressed_) return;
  leftPressed_ = false;
  if (rect().contains(event->position().toPoint())) emit clicked();
}

TPanelLayout TUniPanel::ComputeLayout(int clientWidth, int clientHeight) const {
  const QString caption = LimitCaption(caption_);
  const QFontMetrics metrics(font());
  const TCaptionSize size = MeasureCaption(metrics, caption, showAccelChar_);
  const auto lineBreaks = caption.count(QChar('\r'));
  const auto tabs = caption.count(QChar('\t'));

  TPanelLayout layout;
  layout.TextHeight = static_cast<uint16_t>(size.Height * (lineBreaks + 1));
  layout.TextWidth = size.Width;
  const int bevels = (bevelOuter_ != bvONone) + (bevelInner_ != bvINone);
  layout.Inset = bevels * bevelWidth_ + (bevelInner_ != bvINone ? borderWidth_ : 0);
  // Tabs are measured as nothing; a single-line caption that sizes the panel gets room for them.
  if (autoSize_ && lineBreaks == 0)
    layout.TextWidth += static_cast<uint16_t>(metrics.horizontalAdvance('0') * tabWidth_ * tabs);

  const int inset = layout.Inset;
  layout.Inner = {inset, inset, clientWidth - inset, clientHeight - inset};
  const TRect& inner = layout.Inner;
  const int textWidth = layout.TextWidth;
  const int textHeight = layout.TextHeight;
  TRect& text = layout.Text;
  switch (alignment_) {
  case taLeftJustify:
    text.Left = inner.Left;
    text.Right = std::min(text.Left + textWidth, inner.Right);
    break;
  case taCenter: {
    const int x = (clientWidth - textWidth) / 2;
    text.Left = x > inner.Left ? x : inner.Left;
    text.Right = std::min(text.Left + textWidth, inner.Right);
    break;
  }
  case taRightJustify:
    text.Right = inner.Right;
    text.Left = text.Right - textWidth > inner.Left ? text.Right - textWidth : inner.Left;
    break;
  }
  switch (alignmentVert_) {
  case vertTop:
    text.Top = inner.Top;
    text.Bottom = std::min(text.Top + textHeight, inner.Bottom);
    break;
  case vertBottom:
    text.Bottom = inner.Bottom;
    text.Top = std::max(text.Bottom - textHeight, inner.Top);
    break;
  case vertCenter: {
    const int y = (clientHeight - textHeight) / 2;
    text.Top = std::max(y, inner.Top);
    text.Bottom = std::min(text.Top + textHeight, inner.Bottom);
    break;
  }
  }
  return layout;
}

void TUniPanel::ApplyAutoSize(const TPanelLayout& layout) {
  if (!autoSize_ || LimitCaption(caption_).contains(QChar('\r'))) return;
  const int wantWidth = layout.TextWidth + 2 * layout.Inset;
  const int wantHeight = layout.TextHeight + 2 * layout.Inset;
  const QSize size = AutoSizeFor(Align(), this->size(), {wantWidth, wantHeight});
  if (size != this->size()) resize(size);
}

void TUniPanel::paintEvent(QPaintEvent*) {
  ApplyAutoSize(ComputeLayout(width(), height()));
  layout_ = ComputeLayout(width(), height());

  QPainter painter(this);
  const QColor light = ColorToQColor(highLight_);
  const QColor dark = ColorToQColor(shadow_);
  const QColor face = ColorToQColor(color_);
  TRect r{0, 0, width(), height()};
  if (bevelOuter_ != bvONone) {
    const bool lowered = bevelOuter_ == bvOLowered;
    Frame3D(painter, r, lowered ? dark : light, lowered ? light : dark, bevelWidth_);
  }
  Frame3D(painter, r, face, face, borderWidth_);
  if (bevelInner_ != bvINone) {
    const bool lowered = bevelInner_ == bvILowered;
    Frame3D(painter, r, lowered ? dark : light, lowered ? light : dark, bevelWidth_);
  }

  const TRect& inner = layout_.Inner;
  if (inner.Width() > 0 && inner.Height() > 0)
    painter.fillRect(inner.Left, inner.Top, inner.Width(), inner.Height(), face);

  TCaptionFormat format;
  format.Alignment = alignment_ == taLeftJustify ? Qt::AlignLeft
                     : alignment_ == taCenter    ? Qt::AlignHCenter
                                                 : Qt::AlignRight;
  format.ShowAccelChar = showAccelChar_;
  format.Color = ColorToQColor(captnTxtColor_);
  format.Background = ColorToQColor(captnColorDiff_ ? captnBckColor_ : color_);
  painter.setFont(font());
  DrawCaption(painter, layout_.Text, LimitCaption(caption_), format);
}
