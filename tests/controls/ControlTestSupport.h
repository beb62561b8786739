// Helpers for the control tests: a fixed font, rendering into an image and finding colours in
// it, and a widget that records the mouse events it receives.
#pragma once

#include "controls/SystemColors.h"
#include "graphics/Color.h"
#include "graphics/Graphic.h"

#include <QFont>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>

#include <array>
#include <vector>

// Liberation Sans at 13 pixels without anti-aliasing: every text pixel has the text colour.
inline QFont FixedTestFont() {
  QFont font("Liberation Sans");
  font.setPixelSize(13);
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

// Paints twice, so that a control that sized itself while painting is rendered at its size.
inline QImage Render(QWidget& widget) {
  widget.grab();
  return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline TColor PixelAt(const QImage& image, int x, int y) {
  return QColorToColor(image.pixelColor(x, y));
}

inline std::array<int, 4> Edges(const TRect& r) {
  return {r.Left, r.Top, r.Right, r.Bottom};
}

// How many pixels have a colour, and the smallest rectangle (right and bottom exclusive) they
// lie in.
struct TFound {
  int Count = 0;
  TRect Bounds;
};

inline TFound Find(const QImage& image, TColor color) {
  TFound f{0, {image.width(), image.height(), 0, 0}};
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (PixelAt(image, x, y) == color) {
        ++f.Count;
        f.Bounds = {std::min(f.Bounds.Left, x), std::min(f.Bounds.Top, y),
                    std::max(f.Bounds.Right, x + 1), std::max(f.Bounds.Bottom, y + 1)};
      }
  return f;
}

struct TRecordedMouse {
  QEvent::Type Type;
  QPoint Position;
  friend bool operator==(const TRecordedMouse&, const TRecordedMouse&) = default;
};

// What a recorder holds after one left click at `p`.
inline std::vector<TRecordedMouse> ClickAt(QPoint p) {
  return {{QEvent::MouseButtonPress, p}, {QEvent::MouseButtonRelease, p}};
}

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
