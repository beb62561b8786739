// Helpers for the control tests: a fixed font, rendering into an image, and a widget that
// records the mouse events it receives.
#pragma once

#include "graphics/Color.h"
#include "graphics/Graphic.h"

#include <QFont>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>

#include <vector>

// Liberation Sans at 13 pixels without anti-aliasing: every text pixel has the text colour.
inline QFont FixedTestFont(int pixels = 13) {
  QFont font("Liberation Sans");
  font.setPixelSize(pixels);
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

// Paints twice, so that a control that sized itself while painting is rendered at its size.
inline QImage Render(QWidget& widget) {
  widget.grab();
  return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline TColor PixelAt(const QImage& image, int x, int y) {
  const QColor c = image.pixelColor(x, y);
  return RGB(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
             static_cast<uint8_t>(c.blue()));
}

// The smallest rectangle (right and bottom exclusive) holding every pixel of `color`.
inline TRect BoundsOf(const QImage& image, TColor color) {
  TRect r{image.width(), image.height(), 0, 0};
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (PixelAt(image, x, y) == color) {
        r.Left = std::min(r.Left, x);
        r.Top = std::min(r.Top, y);
        r.Right = std::max(r.Right, x + 1);
        r.Bottom = std::max(r.Bottom, y + 1);
      }
  return r;
}

inline int CountOf(const QImage& image, TColor color) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      n += PixelAt(image, x, y) == color;
  return n;
}

inline bool SameRect(const TRect& a, const TRect& b) {
  return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
}

struct TRecordedMouse {
  QEvent::Type Type;
  QPoint Position;
};

class TMouseRecorder : public QWidget {
public:
  using QWidget::QWidget;
  std::vector<TRecordedMouse> Events;

protected:
  void mousePressEvent(QMouseEvent* e) override { Record(e); }
  void mouseReleaseEvent(QMouseEvent* e) override { Record(e); }

private:
  void Record(QMouseEvent* e) {
    Events.push_back({e->type(), e->position().toPoint()});
    e->accept();
  }
};
