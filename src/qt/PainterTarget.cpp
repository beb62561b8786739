#include "qt/PainterTarget.h"

#include "qt/BitmapQt.h"

#include <QPainter>

void TPainterTarget::DrawBitmap(const TBitmap& bitmap, const TRect& rect) {
  if (bitmap.Empty()) return;
  painter_.drawImage(QRect(rect.Left, rect.Top, rect.Width(), rect.Height()),
                     BitmapToQImage(bitmap));
}

QPainter& PainterOf(TDrawTarget& target) {
  return dynamic_cast<TPainterTarget&>(target).Painter();
}
