#include "controls/Frame3D.h"

#include <QPainter>

void Frame3D(QPainter& painter, TRect& rect, const QColor& top, const QColor& bottom, int width) {
  for (int ring = 0; ring < width; ++ring) {
    const int w = rect.Width();
    const int h = rect.Height();
    if (w > 0 && h > 0) {
      if (h > 1) painter.fillRect(rect.Left, rect.Top, 1, h - 1, top);
      if (w > 1) painter.fillRect(rect.Left, rect.Top, w - 1, 1, top);
      painter.fillRect(rect.Right - 1, rect.Top, 1, h, bottom);
      painter.fillRect(rect.Left, rect.Bottom - 1, w, 1, bottom);
    }
    rect = {rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1};
  }
}
