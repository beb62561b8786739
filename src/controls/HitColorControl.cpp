#include "controls/HitColorControl.h"

#include "controls/SystemColors.h"

#include <QCoreApplication>
#include <QMouseEvent>

namespace {

// What a pixel read outside the window gives: no colour, so never a hole.
constexpr TColor kNoPixel = 0xFFFFFFFF;

bool IsButtonEvent(QEvent::Type type) {
  return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
         type == QEvent::MouseButtonDblClick || type == QEvent::MouseMove;
}

} // namespace

THitColorControl::THitColorControl(QWidget* owner) : QWidget(owner) {
  setMouseTracking(true);
}

TColor THitColorControl::ShownPixel(const QPoint&) const {
  return kNoPixel;
}

bool THitColorControl::HitTest(const QPoint& point) {
  lastHitColor_ = ShownPixel(point);
  return lastHitColor_ != ColorToRGB(transparentColor_) &&
         lastHitColor_ != ColorToRGB(backgroundColor_);
}

void THitColorControl::UpdateCursor(bool onButton) {
  if (onButton) {
    setCursor(innerCursor_);
  } else if (const QWidget* parent = parentWidget()) {
    setCursor(parent->cursor());
  } else {
    unsetCursor();
  }
}

bool THitColorControl::event(QEvent* event) {
  if (!IsButtonEvent(event->type())) return QWidget::event(event);
  auto* mouse = static_cast<QMouseEvent*>(event);
  const bool onButton = HitTest(mouse->position().toPoint());
  if (event->type() == QEvent::MouseMove) UpdateCursor(onButton);
  if (onButton) return QWidget::event(event);
  // A hole: the parent gets the same message with the same numbers; the button stays out.
  if (QWidget* parent = parentWidget()) {
    QMouseEvent forwarded(mouse->type(), mouse->position(), mouse->scenePosition(),
                          mouse->globalPosition(), mouse->button(), mouse->buttons(),
                          mouse->modifiers(), mouse->pointingDevice());
    QCoreApplication::sendEvent(parent, &forwarded);
  }
  if (event->type() == QEvent::MouseButtonRelease) leftPressed_ = false;
  event->accept();
  return true;
}

void THitColorControl::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() == Qt::LeftButton) leftPressed_ = true;
}

void THitColorControl::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton || !leftPressed_) return;
  leftPressed_ = false;
  if (rect().contains(event->position().toPoint())) emit clicked();
}

void THitColorControl::mouseDoubleClickEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() == Qt::LeftButton) emit doubleClicked();
}

void THitColorControl::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
}
