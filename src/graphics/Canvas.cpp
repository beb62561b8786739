#include "graphics/Canvas.h"

#include "graphics/BitmapQt.h"

#include <QPainter>

void StretchDraw(TBitmap& target, const TRect& rect, const TGraphic& graphic) {
  if (target.Empty()) return;
  QImage image = BitmapToQImage(target);
  {
    QPainter painter(&image);
    graphic.Draw(painter, rect);
  }
  QImageToBitmap(image, target);
}

TBitmap RenderGraphic(const TGraphic& graphic, int width, int height) {
  TBitmap result;
  result.SetSize(width, height);
  StretchDraw(result, TRect{0, 0, width, height}, graphic);
  return result;
}
