// Bitmaps: block transfers and DIBs decoded through the BMP reader.
#include "qt/GdiPlayer.h"

#include "bmp/Bitmap.h"
#include "io/ByteReader.h"
#include "io/Exceptions.h"
#include "io/Streams.h"
#include "qt/BitmapQt.h"

#include <algorithm>

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

// Bytes of a DIB's info header plus its colour table (and bit masks).
size_t InfoBlockSize(std::span<const uint8_t> dib) {
  if (dib.size() < 12) return dib.size();
  const uint32_t headerSize = LoadU32LE(dib.data());
  if (headerSize == 12) {
    const uint16_t bpp = LoadU16LE(dib.data() + 10);
    return std::min<size_t>(12 + (bpp <= 8 ? 3 * (size_t{1} << bpp) : 0), dib.size());
  }
  if (headerSize < 40 || dib.size() < 40) return dib.size();
  const uint16_t bpp = LoadU16LE(dib.data() + 14);
  const uint32_t compression = LoadU32LE(dib.data() + 16);
  const uint32_t used = LoadU32LE(dib.data() + 32);
  size_t table = 4 * (used ? std::min<uint32_t>(used, 256) : bpp <= 8 ? 1u << bpp : 0);
  if (compression == 3 && headerSize == 40) table += 12;
  if (compression == 6 && headerSize == 40) table += 16;
  return std::min<size_t>(size_t{headerSize} + table, dib.size());
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

QImage DecodeDib(std::span<const uint8_t> info, std::span<const uint8_t> bits) {
  if (info.size() < 12) return {};
  std::vector<uint8_t> file(14);
  file[0] = 'B', file[1] = 'M';
  StoreU32LE(file.data() + 2, static_cast<uint32_t>(14 + info.size() + bits.size()));
  StoreU32LE(file.data() + 10, static_cast<uint32_t>(14 + info.size()));
  file.insert(file.end(), info.begin(), info.end());
  file.insert(file.end(), bits.begin(), bits.end());
  try {
    TBitmap bitmap;
    ReadBmp(file, bitmap);
    return BitmapToQImage(bitmap);
  } catch (const Exception&) {
    return {};
  }
}

QImage DecodePackedDib(std::span<const uint8_t> dib) {
  const size_t info = InfoBlockSize(dib);
  return DecodeDib(dib.first(info), dib.subspan(info));
}

} // namespace gdi
