// Plays a Windows metafile (WMF) through the GDI player.
//
// Layout (little-endian): optional placeable header (u32 key 9AC6CDD7, u16 handle, i16 left,
// top, right, bottom, u16 units per inch, u32 reserved, u16 checksum); the header (u16 type,
// u16 header words = 9, u16 version, u32 size in words, u16 object count, u32 largest record,
// u16 unused); then records: u32 size in 16-bit words (≥ 3), u16 function, parameters.
// Parameters of coordinate records come last argument first (y before x, bottom before top).
#include "io/ByteReader.h"
#include "qt/GdiPlayer.h"
#include "qt/Metafile.h"

namespace {

using Reader = ByteReader<EInvalidGraphic>;
using namespace gdi;

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;

int16_t S16(Reader& r) {
  return static_cast<int16_t>(r.U16LE());
}

QPointF PointYX(Reader& r) {
  const double y = S16(r);
  return {static_cast<double>(S16(r)), y};
}

// Reads bottom, right, top, left.
QRectF BoxBRTL(Reader& r) {
  const double b = S16(r), rr = S16(r), t = S16(r), l = S16(r);
  return QRectF(QPointF(l, t), QPointF(rr, b));
}

std::vector<QPointF> PointsXY(Reader& r, size_t count) {
  std::vector<QPointF> points;
  if (count * 4 > r.Remaining()) throw EInvalidGraphic("Invalid metafile: point list is truncated");
  points.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const double x = S16(r);
    points.emplace_back(x, S16(r));
  }
  return points;
}

QString Ansi(std::span<const uint8_t> bytes) {
  return QString::fromLatin1(reinterpret_cast<const char*>(bytes.data()),
                             static_cast<qsizetype>(bytes.size()));
}

Font ReadFont(Reader& r) {
  Font f;
  f.height = S16(r);
  f.width = S16(r);
  f.escapement = S16(r);
  S16(r); // orientation
  f.weight = S16(r);
  f.italic = r.U8(), f.underline = r.U8(), f.strikeOut = r.U8();
  r.Skip(5); // charset, precisions, quality, pitch and family
  auto face = r.Bytes(std::min<size_t>(32, r.Remaining()));
  size_t length = 0;
  while (length < face.size() && face[length])
    ++length;
  f.face = Ansi(face.first(length));
  return f;
}

// DIBBITBLT and DIBSTRETCHBLT come in two shapes: with a bitmap, or (a record exactly as
// long as its high byte of function says, plus the header) a pattern blit without one.
bool HasBitmap(uint32_t words, uint16_t function) {
  return words != (function >> 8) + 3u;
}

void PlayRecord(Player& gdi, uint16_t function, uint32_t words, Reader& r) {
  DcState& dc = gdi.Dc();
  switch (function) {
  case 0x0201:
    dc.bkColor = r.U32LE();
    break;
  case 0x0209:
    dc.textColor = r.U32LE();
    break;
  case 0x0102:
    dc.bkMode = r.U16LE();
    break;
  case 0x0103:
    dc.mapMode = r.U16LE();
    break;
  case 0x0104:
    dc.rop2 = r.U16LE();
    break;
  case 0x0106:
    dc.polyFillMode = r.U16LE();
    break;
  case 0x012E:
    dc.textAlign = r.U16LE();
    break;
  case 0x020B:
    dc.windowOrg = PointYX(r);
    break;
  case 0x020C:
    dc.windowExt = PointYX(r);
    break;
  case 0x020D:
    dc.viewportOrg = PointYX(r);
    break;
  case 0x020E:
    dc.viewportExt = PointYX(r);
    break;
  case 0x020F:
    dc.windowOrg += PointYX(r);
    break;
  case 0x0211:
    dc.viewportOrg += PointYX(r);
    break;
  case 0x0410:
  case 0x0412: { // SCALEWINDOWEXT, SCALEVIEWPORTEXT
    const int yDen = S16(r), yNum = S16(r), xDen = S16(r), xNum = S16(r);
    if (xDen == 0 || yDen == 0) break;
    QPointF& ext = function == 0x0410 ? dc.windowExt : dc.viewportExt;
    ext = QPointF(ext.x() * xNum / xDen, ext.y() * yNum / yDen);
    break;
  }
  case 0x001E:
    gdi.SaveDc();
    break;
  case 0x0127:
    gdi.RestoreDc(S16(r));
    break;
  case 0x0214:
    gdi.MoveTo(PointYX(r));
    break;
  case 0x0213:
    gdi.LineTo(PointYX(r));
    break;
  case 0x041B:
    gdi.Rectangle(BoxBRTL(r));
    break;
  case 0x0418:
    gdi.Ellipse(BoxBRTL(r));
    break;
  case 0x061C: {
    const double h = S16(r), w = S16(r);
    gdi.RoundRect(BoxBRTL(r), QSizeF(w, h));
    break;
  }
  case 0x0817:
  case 0x081A:
  case 0x0830: {
    const QPointF end = PointYX(r), start = PointYX(r);
    const QRectF box = BoxBRTL(r);
    gdi.ArcShape(function == 0x0817   ? ArcKind::Arc
                 : function == 0x081A ? ArcKind::Pie
                                      : ArcKind::Chord,
                 box, start, end);
    break;
  }
  case 0x0324:
    gdi.Polygon(PointsXY(r, r.U16LE()));
    break;
  case 0x0325:
    gdi.Polyline(PointsXY(r, r.U16LE()));
    break;
  case 0x0538: {
    const uint16_t count = r.U16LE();
    std::vector<uint16_t> sizes(count);
    for (auto& s : sizes)
      s = r.U16LE();
    std::vector<std::vector<QPointF>> polygons;
    for (uint16_t s : sizes)
      polygons.push_back(PointsXY(r, s));
    gdi.PolyPolygon(polygons);
    break;
  }
  case 0x041F: {
    const uint32_t color = r.U32LE();
    gdi.SetPixel(PointYX(r), color);
    break;
  }
  case 0x0415:
    gdi.ExcludeClip(BoxBRTL(r));
    break;
  case 0x0416:
    gdi.IntersectClip(BoxBRTL(r));
    break;
  case 0x0521: { // TEXTOUT: count, string padded to even, y, x
    const uint16_t count = r.U16LE();
    const QString text = Ansi(r.Bytes(count));
    if (count % 2) r.Skip(1);
    gdi.TextOut(PointYX(r), text, 0, std::nullopt, {});
    break;
  }
  case 0x0A32: { // EXTTEXTOUT: y, x, count, options, [rect], string, [dx]
    const QPointF at = PointYX(r);
    const uint16_t count = r.U16LE(), options = r.U16LE();
    std::optional<QRectF> rect;
    if (options & (ETO_OPAQUE | ETO_CLIPPED)) {
      const double l = S16(r), t = S16(r), rr = S16(r), b = S16(r);
      rect = QRectF(QPointF(l, t), QPointF(rr, b));
    }
    const QString text = Ansi(r.Bytes(count));
    if (count % 2) r.Skip(1);
    std::vector<double> dx;
    if (r.Remaining() >= size_t{count} * 2)
      for (uint16_t i = 0; i < count; ++i)
        dx.push_back(S16(r));
    gdi.TextOut(at, text, options, rect, dx);
    break;
  }
  case 0x02FA: {
    Pen pen;
    pen.style = r.U16LE();
    pen.width = std::abs(S16(r));
    S16(r);
    pen.color = r.U32LE();
    gdi.CreateObject(-1, pen);
    break;
  }
  case 0x02FC: {
    Brush brush;
    brush.style = r.U16LE();
    brush.color = r.U32LE();
    brush.hatch = r.U16LE();
    if (brush.style != BS_SOLID && brush.style != BS_HATCHED) brush.style = BS_NULL;
    gdi.CreateObject(-1, brush);
    break;
  }
  case 0x0142: { // DIBCREATEPATTERNBRUSH: style, usage, packed DIB
    Brush brush;
    r.Skip(4);
    brush.style = BS_DIBPATTERN;
    brush.pattern = DecodePackedDib(r.Bytes(r.Remaining()));
    gdi.CreateObject(-1, brush);
    break;
  }
  case 0x01F9:
    gdi.CreateObject(-1, Brush{BS_SOLID, 0x808080, 0, {}});
    break;
  case 0x02FB:
    gdi.CreateObject(-1, ReadFont(r));
    break;
  case 0x00F7: { // CREATEPALETTE: version, count, entries r,g,b,flags
    Palette palette;
    r.Skip(2);
    const uint16_t count = r.U16LE();
    for (uint16_t i = 0; i < count; ++i) {
      auto e = r.Bytes(4);
      palette.entries.push_back(qRgb(e[0], e[1], e[2]));
    }
    gdi.CreateObject(-1, palette);
    break;
  }
  case 0x06FF:
    gdi.CreateObject(-1, Region{});
    break;
  case 0x012D:
  case 0x0234:
    gdi.SelectObject(r.U16LE());
    break;
  case 0x01F0:
    gdi.DeleteObject(r.U16LE());
    break;
  case 0x061D: { // PATBLT: rop, height, width, y, x
    const uint32_t rop = r.U32LE();
    const double h = S16(r), w = S16(r);
    const QPointF at = PointYX(r);
    gdi.PatBlt(QRectF(at, QSizeF(w, h)), rop);
    break;
  }
  case 0x0940:   // DIBBITBLT
  case 0x0B41: { // DIBSTRETCHBLT
    const bool stretch = function == 0x0B41;
    const uint32_t rop = r.U32LE();
    double sh = 0, sw = 0;
    if (stretch) sh = S16(r), sw = S16(r);
    const QPointF src = PointYX(r);
    const bool bitmap = HasBitmap(words, function);
    if (!bitmap) r.Skip(2);
    const double dh = S16(r), dw = S16(r);
    const QPointF dest = PointYX(r);
    if (!stretch) sw = dw, sh = dh;
    if (!bitmap) {
      gdi.PatBlt(QRectF(dest, QSizeF(dw, dh)), rop);
      break;
    }
    const QImage image = DecodePackedDib(r.Bytes(r.Remaining()));
    gdi.StretchBlt(image, QRectF(dest, QSizeF(dw, dh)), QRectF(src, QSizeF(sw, sh)), rop);
    break;
  }
  case 0x0F43: { // STRETCHDIB: rop, usage, srcH, srcW, ySrc, xSrc, destH, destW, yDest, xDest
    const uint32_t rop = r.U32LE();
    r.Skip(2);
    const double sh = S16(r), sw = S16(r);
    const QPointF src = PointYX(r);
    const double dh = S16(r), dw = S16(r);
    const QPointF dest = PointYX(r);
    const QImage image = DecodePackedDib(r.Bytes(r.Remaining()));
    gdi.StretchBlt(image, QRectF(dest, QSizeF(dw, dh)), QRectF(src, QSizeF(sw, sh)), rop);
    break;
  }
  default:
    break; // records without a drawing effect here are skipped
  }
}

} // namespace

void PlayWmf(std::span<const uint8_t> bytes, QPainter& painter, const QRectF& target) {
  Reader head(bytes, "Invalid metafile: header is truncated");
  QRectF window;
  std::span<const uint8_t> wmf = bytes;
  if (head.U32LE() == kPlaceableKey) {
    head.Seek(6);
    const double l = S16(head), t = S16(head), r = S16(head), b = S16(head);
    window = QRectF(QPointF(l, t), QPointF(r, b));
    wmf = bytes.subspan(22);
  }
  Reader r(wmf, "Invalid metafile: record is truncated");
  const size_t headerBytes = size_t{(r.Seek(2), r.U16LE())} * 2;
  r.Seek(10); // the object count; the largest record's size follows it
  const uint16_t objectCount = r.U16LE();
  r.Seek(headerBytes);

  Player gdi(painter, QTransform(), 96 / 25.4, target);
  gdi.SetTableSize(objectCount);
  if (!window.isNull()) {
    gdi.Dc().windowOrg = window.topLeft();
    gdi.Dc().windowExt = QPointF(window.width(), window.height());
  }
  while (r.Remaining() >= 6) {
    const size_t start = r.Position();
    const uint32_t words = r.U32LE();
    const uint16_t function = r.U16LE();
    if (function == 0) break; // end of the metafile
    if (words < 3 || words > (r.Size() - start) / 2)
      throw EInvalidGraphic("Invalid metafile: record at offset " + std::to_string(start) +
                            " has a wrong size");
    Reader params(wmf.subspan(start + 6, size_t{words} * 2 - 6),
                  "Invalid metafile: record at offset " + std::to_string(start) + " is malformed");
    PlayRecord(gdi, function, words, params);
    r.Seek(start + size_t{words} * 2);
  }
}
