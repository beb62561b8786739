#include "qt/Undrawn.h"

#include "qt/BitmapQt.h"
#include "qt/Icon.h"
#include "qt/PainterTarget.h"
#include "qt/StockPicture.h"

#include <QImage>
#include <QPainter>

namespace {

// The icon drawn over nothing: its mask and alpha become the picture's alpha.
TBitmap IconPixels(const TIcon& icon) {
  QImage image(icon.Width(), icon.Height(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    TPainterTarget target(painter);
    icon.Draw(target, TRect{0, 0, icon.Width(), icon.Height()});
  }
  bool opaque = true;
  for (int y = 0; y < image.height() && opaque; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width() && opaque; ++x)
      opaque = qAlpha(row[x]) == 255;
  }
  TBitmap result;
  QImageToBitmap(image.convertToFormat(opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32),
                 result);
  return result;
}

} // namespace

bool CopyUndrawn(const TGraphic& graphic, TBitmap& target, std::vector<std::string>& notes) {
  if (const auto* icon = dynamic_cast<const TIcon*>(&graphic)) {
    if (icon->Empty()) return false;
    TBitmap pixels = IconPixels(*icon);
    // An icon with nothing transparent is drawn as the window draws it: its inverting pixels
    // (the background XOR a colour) only mean something over a background.
    if (!pixels.HasAlpha()) return false;
    target = std::move(pixels);
    return true;
  }
  if (const auto* stock = dynamic_cast<const TStockPicture*>(&graphic)) {
    target = *stock;
    notes.insert(notes.end(), stock->Notes().begin(), stock->Notes().end());
    return true;
  }
  const auto* bitmap = dynamic_cast<const TBitmap*>(&graphic);
  if (!bitmap || bitmap->PixelFormat() != TPixelFormat::pf32bit || !bitmap->HasAlpha())
    return false;
  target = *bitmap;
  return true;
}
