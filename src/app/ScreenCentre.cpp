#include "app/ScreenCentre.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

class TCentreOnShow : public QObject {
public:
  using QObject::QObject;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Show) return false;
    auto* window = static_cast<QWidget*>(watched);
    // Let the window take its size first; its native window is mapped only after this.
    window->removeEventFilter(this);
    QCoreApplication::sendEvent(window, event);
    QWidget* owner = window->parentWidget();
    QScreen* screen = owner && owner->isVisible() ? owner->screen() : nullptr;
    if (!screen) screen = QGuiApplication::primaryScreen();
    // move() places the frame: centre the frame, as far as its size is known yet.
    const QRect frame = window->frameGeometry();
    if (screen)
      window->move(screen->availableGeometry().center() -
                   QPoint((frame.width() - 1) / 2, (frame.height() - 1) / 2));
    deleteLater();
    return true;
  }
};

} // namespace

void CentreOnScreenWhenShown(QWidget* window) {
  window->installEventFilter(new TCentreOnShow(window));
}
