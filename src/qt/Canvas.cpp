#include "qt/Canvas.h"

#include "qt/BitmapQt.h"

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
  // An opaque bitmap drawn one to one over white is its own pixels at 24 bits: converted
  // directly, a large picture costs one pass instead of four whole-image copies.
  const auto* bitmap = dynamic_cast<const TBitmap*>(&graphic);
  if (bitmap && width > 0 && height > 0 && bitmap->Width() == width && bitmap->Height() == height &&
      !(bitmap->PixelFormat() == TPixelFormat::pf32bit && bitmap->HasAlpha())) {
    TBitmap result;
    if (bitmap->PixelFormat() == TPixelFormat::pf24bit) {
      result = *bitmap;
    } else {
      result.Allocate(width, height, TPixelFormat::pf24bit);
      for (int y = 0; y < height; ++y)
        bitmap->ExpandRowTo24(y, result.ScanLine(y));
      result.ClearRowPadding();
    }
    return result;
  }
  TBitmap result;
  result.SetSize(width, height);
  StretchDraw(result, TRect{0, 0, width, height}, graphic);
  return result;
}
