// Bitmaps: block transfers and DIBs decoded through the DIB reader.
#include "qt/GdiPlayer.h"

#include "bmp/DibReader.h"
#include "io/Exceptions.h"
#include "qt/BitmapQt.h"

namespace gdi {

namespace {

QPainter::CompositionMode BltMode(uint32_t rop) {
  switch (rop) {
  case 0x00EE0086:
    return QPainter::RasterOp_SourceOrDestination; // SRCPAINT
  case 0x008800C6:
    return QPainter::RasterOp_SourceAndDestination; // SRCAND
  case 0x00660046:
    return QPainter::RasterOp_SourceXorDestination; // SRCINVERT
  case 0x00330008:
    return QPainter::RasterOp_NotSource; // NOTSRCCOPY
  case 0x00BB0226:
    return QPainter::RasterOp_NotSourceOrDestination; // MERGEPAINT
  case 0x00440328:
    return QPainter::RasterOp_SourceAndNotDestination; // SRCERASE
  default:
    return QPainter::CompositionMode_SourceOver;
  }
}

} // namespace

void Player::StretchBlt(const QImage& image, QRectF dest, QRectF source, uint32_t rop) {
  if (inPath_ || image.isNull() || source.width() == 0 || source.height() == 0) return;
  QTransform m;
  m.translate(dest.x(), dest.y());
  m.scale(dest.width() / source.width(), dest.height() / source.height());
  m.translate(-source.x(), -source.y());
  ApplyClip();
  painter_.save();
  painter_.setCompositionMode(BltMode(rop));
  painter_.setTransform(m * LogicalToDevice());
  painter_.drawImage(source.topLeft(), image, source.normalized());
  painter_.restore();
}

void Player::PatBlt(QRectF dest, uint32_t rop) {
  QPainterPath path;
  path.addRect(DeviceBox(dest, false));
  ApplyClip();
  switch (rop) {
  case 0x00000042:
    painter_.fillPath(path, Qt::black);
    break; // BLACKNESS
  case 0x00FF0062:
    painter_.fillPath(path, Qt::white);
    break;         // WHITENESS
  case 0x00550009: // DSTINVERT
    painter_.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter_.fillPath(path, Qt::black);
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    break;
  case 0x005A0049: { // PATINVERT
    const int saved = dc_.rop2;
    dc_.rop2 = R2_XORPEN;
    Fill(path);
    dc_.rop2 = saved;
    break;
  }
  case 0x00AA0029:
    break; // destination unchanged
  default: {
    const int saved = dc_.rop2;
    dc_.rop2 = R2_COPYPEN;
    Fill(path);
    dc_.rop2 = saved;
  }
  }
}

// A bitmap the DIB reader refuses is left out: the metafile plays on without it.
QImage DecodeDib(std::span<const uint8_t> info, std::span<const uint8_t> bits) {
  try {
    TBitmap bitmap;
    ReadDib(info, bits, bitmap);
    return BitmapToQImage(bitmap);
  } catch (const Exception&) {
    return {};
  }
}

QImage DecodePackedDib(std::span<const uint8_t> dib) {
  try {
    TBitmap bitmap;
    ReadDib(dib, bitmap);
    return BitmapToQImage(bitmap);
  } catch (const Exception&) {
    return {};
  }
}

} // namespace gdi
