#include "controls/PostedClick.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

void PostClick(QWidget* target) {
  if (!target) return;
  const QPointF local(0, 0);
  const QPointF global = target->mapToGlobal(local);
  QCoreApplication::postEvent(target,
                              new QMouseEvent(QEvent::MouseButtonPress, local, global,
                                              Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
  QCoreApplication::postEvent(target,
                              new QMouseEvent(QEvent::MouseButtonRelease, local, global,
                                              Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
}
