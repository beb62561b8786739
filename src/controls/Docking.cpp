#include "controls/Docking.h"

#include <QEvent>
#include <QWidget>

TDocking::TDocking(QWidget* control) : QObject(control), control_(control) {
  control_->installEventFilter(this);
}

void TDocking::SetAlign(TAlign align) {
  if (align_ == align) return;
  align_ = align;
  WatchParent();
  Apply();
}

void TDocking::WatchParent() {
  QWidget* parent = control_->parentWidget();
  if (parent == watchedParent_) return;
  if (watchedParent_) watchedParent_->removeEventFilter(this);
  watchedParent_ = parent;
  if (watchedParent_) watchedParent_->installEventFilter(this);
}

void TDocking::Apply() {
  const QWidget* parent = control_->parentWidget();
  if (!parent || align_ == alNone) return;
  const QRect area = parent->contentsRect();
  QRect place = control_->geometry();
  switch (align_) {
  case alTop:
    place = QRect(area.left(), area.top(), area.width(), place.height());
    break;
  case alBottom:
    place = QRect(area.left(), area.bottom() + 1 - place.height(), area.width(), place.height());
    break;
  case alLeft:
    place = QRect(area.left(), area.top(), place.width(), area.height());
    break;
  case alRight:
    place = QRect(area.right() + 1 - place.width(), area.top(), place.width(), area.height());
    break;
  case alClient:
    place = area;
    break;
  case alNone:
    break;
  }
  if (place != control_->geometry()) control_->setGeometry(place);
}

bool TDocking::eventFilter(QObject* watched, QEvent* event) {
  if (watched == control_ && event->type() == QEvent::ParentChange) {
    WatchParent();
    Apply();
  } else if (watched == control_ && event->type() == QEvent::Resize) {
    Apply(); // a control that sized itself stays on its edge
  } else if (watched == watchedParent_ && event->type() == QEvent::Resize) {
    Apply();
  }
  return QObject::eventFilter(watched, event);
}

QSize AutoSizeFor(TAlign align, QSize current, QSize wanted) {
  switch (align) {
  case alNone:
    return wanted;
  case alTop:
  case alBottom:
    return {current.width(), wanted.height()};
  case alLeft:
  case alRight:
    return {wanted.width(), current.height()};
  case alClient:
    break;
  }
  return current;
}
