#include "qt/Canvas.h"

#include "qt/BitmapQt.h"
#include "qt/PainterTarget.h"

#include <QPainter>

void StretchDraw(TBitmap& target, const TRect& rect, const TGraphic& graphic) {
  if (target.Empty()) return;
  QImage image = BitmapToQImage(target);
  {
    QPainter painter(&image);
    TPainterTarget drawTarget(painter);
    graphic.Draw(drawTarget, rect);
  }
  QImageToBitmap(image, target);
}

TBitmap RenderGraphic(const TGraphic& graphic, int width, int height) {
  if (width == graphic.Width() && height == graphic.Height()) return graphic.RenderOnWhite();
  TBitmap result;
  result.SetSize(width, height);
  StretchDraw(result, TRect{0, 0, width, height}, graphic);
  return result;
}

TBitmap PaintOnWhite(const TGraphic& graphic) {
  TBitmap result;
  result.SetSize(graphic.Width(), graphic.Height());
  StretchDraw(result, TRect{0, 0, graphic.Width(), graphic.Height()}, graphic);
  return result;
}
