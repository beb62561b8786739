// Plays an enhanced metafile (EMF) through the GDI player.
//
// Layout (little-endian): records of u32 type, u32 size in bytes (a multiple of 4, ≥ 8), then
// parameters. The first record is the header (type 1): bounds (4 × i32, device pixels),
// frame (4 × i32, 0.01 mm), " EMF", version, file size, record count, u16 handle count,
// u16 reserved, description, palette entries, reference device size in pixels (at 72) and in
// millimetres (at 80). The last record is EOF (type 14). The frame is what is stretched onto
// the target rectangle.
#include "io/ByteReader.h"
#include "qt/GdiPlayer.h"
#include "qt/Metafile.h"

#include <cmath>
#include <cstring>

namespace {

using Reader = ByteReader<EInvalidGraphic>;
using namespace gdi;

constexpr uint32_t kStockObject = 0x80000000;

QPointF Point32(Reader& r) {
  const double x = r.I32LE();
  return {x, static_cast<double>(r.I32LE())};
}

QRectF Box32(Reader& r) {
  const double l = r.I32LE(), t = r.I32LE(), rr = r.I32LE(), b = r.I32LE();
  return QRectF(QPointF(l, t), QPointF(rr, b));
}

float F32(Reader& r) {
  const uint32_t bits = r.U32LE();
  float f;
  std::memcpy(&f, &bits, 4);
  return std::isfinite(f) ? f : 0.0f;
}

QTransform Xform(Reader& r) {
  const double m11 = F32(r), m12 = F32(r), m21 = F32(r), m22 = F32(r), dx = F32(r), dy = F32(r);
  return QTransform(m11, m12, m21, m22, dx, dy);
}

std::vector<QPointF> Points(Reader& r, size_t count, bool small) {
  if (count > r.Remaining() / (small ? 4 : 8))
    throw EInvalidGraphic("Invalid metafile: point list is truncated");
  std::vector<QPointF> points;
  points.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    if (small) {
      const double x = static_cast<int16_t>(r.U16LE());
      points.emplace_back(x, static_cast<int16_t>(r.U16LE()));
    } else {
      points.push_back(Point32(r));
    }
  }
  return points;
}

std::vector<std::vector<QPointF>> PolyPoints(Reader& r, bool small) {
  r.Skip(16); // bounds
  const uint32_t polys = r.U32LE(), total = r.U32LE();
  if (polys > r.Remaining() / 4)
    throw EInvalidGraphic("Invalid metafile: polygon list is truncated");
  std::vector<uint32_t> counts(polys);
  uint64_t sum = 0;
  for (auto& c : counts)
    sum += (c = r.U32LE());
  if (sum != total) throw EInvalidGraphic("Invalid metafile: polygon point counts disagree");
  std::vector<std::vector<QPointF>> result;
  for (uint32_t c : counts)
    result.push_back(Points(r, c, small));
  return result;
}

// A bitmap given by offsets from the record's start; null when absent or unreadable.
QImage RecordDib(std::span<const uint8_t> record, uint32_t offInfo, uint32_t infoSize,
                 uint32_t offBits, uint32_t bitsSize) {
  auto inside = [&](uint32_t off, uint32_t size) {
    return off <= record.size() && size <= record.size() - off;
  };
  if (infoSize == 0 || !inside(offInfo, infoSize) || !inside(offBits, bitsSize)) return {};
  return DecodeDib(record.subspan(offInfo, infoSize), record.subspan(offBits, bitsSize));
}

void TextRecord(Player& gdi, Reader& r, std::span<const uint8_t> record, bool wide) {
  r.Skip(16 + 12); // bounds, graphics mode, x and y scale
  const QPointF reference = Point32(r);
  const uint32_t chars = r.U32LE(), offString = r.U32LE(), options = r.U32LE();
  const QRectF rect = Box32(r);
  const uint32_t offDx = r.U32LE();
  const size_t charBytes = wide ? 2 : 1;
  if (offString > record.size() || chars > (record.size() - offString) / charBytes)
    throw EInvalidGraphic("Invalid metafile: text lies outside its record");
  const uint8_t* s = record.data() + offString;
  QString text;
  for (uint32_t i = 0; i < chars; ++i)
    text += wide ? QChar(static_cast<char16_t>(LoadU16LE(s + 2 * i))) : QChar(s[i]);
  std::vector<double> dx;
  if (offDx && offDx <= record.size() && chars <= (record.size() - offDx) / 4)
    for (uint32_t i = 0; i < chars; ++i)
      dx.push_back(static_cast<int32_t>(LoadU32LE(record.data() + offDx + 4 * i)));
  std::optional<QRectF> clip;
  if (!rect.isEmpty()) clip = rect;
  gdi.TextOut(reference, text, static_cast<int>(options), clip, dx);
}

Font ReadLogFont(Reader& r) {
  Font f;
  f.height = r.I32LE();
  f.width = r.I32LE();
  f.escapement = r.I32LE();
  r.I32LE(); // orientation
  f.weight = r.I32LE();
  f.italic = r.U8(), f.underline = r.U8(), f.strikeOut = r.U8();
  r.Skip(5);
  for (int i = 0; i < 32 && r.Remaining() >= 2; ++i) {
    const char16_t c = r.U16LE();
    if (c == 0) break;
    f.face += QChar(c);
  }
  return f;
}

void PlayRecord(Player& gdi, uint32_t type, Reader& r, std::span<const uint8_t> record) {
  DcState& dc = gdi.Dc();
  switch (type) {
  case 2:
  case 85:
    r.Skip(16), gdi.PolyBezier(Points(r, r.U32LE(), type == 85), false);
    break;
  case 3:
  case 86:
    r.Skip(16), gdi.Polygon(Points(r, r.U32LE(), type == 86));
    break;
  case 4:
  case 87:
    r.Skip(16), gdi.Polyline(Points(r, r.U32LE(), type == 87));
    break;
  case 5:
  case 88:
    r.Skip(16), gdi.PolyBezier(Points(r, r.U32LE(), type == 88), true);
    break;
  case 6:
  case 89:
    r.Skip(16), gdi.PolylineTo(Points(r, r.U32LE(), type == 89));
    break;
  case 7:
  case 90:
    gdi.PolyPolyline(PolyPoints(r, type == 90));
    break;
  case 8:
  case 91:
    gdi.PolyPolygon(PolyPoints(r, type == 91));
    break;
  case 9:
    dc.windowExt = Point32(r);
    break;
  case 10:
    dc.windowOrg = Point32(r);
    break;
  case 11:
    dc.viewportExt = Point32(r);
    break;
  case 12:
    dc.viewportOrg = Point32(r);
    break;
  case 15: {
    const QPointF p = Point32(r);
    gdi.SetPixel(p, r.U32LE());
    break;
  }
  case 17:
    dc.mapMode = static_cast<int>(r.U32LE());
    break;
  case 18:
    dc.bkMode = static_cast<int>(r.U32LE());
    break;
  case 19:
    dc.polyFillMode = static_cast<int>(r.U32LE());
    break;
  case 20:
    dc.rop2 = static_cast<int>(r.U32LE());
    break;
  case 22:
    dc.textAlign = static_cast<int>(r.U32LE());
    break;
  case 24:
    dc.textColor = r.U32LE();
    break;
  case 25:
    dc.bkColor = r.U32LE();
    break;
  case 27:
    gdi.MoveTo(Point32(r));
    break;
  case 29:
    gdi.ExcludeClip(Box32(r));
    break;
  case 30:
    gdi.IntersectClip(Box32(r));
    break;
  case 33:
    gdi.SaveDc();
    break;
  case 34:
    gdi.RestoreDc(r.I32LE());
    break;
  case 35:
    dc.world = Xform(r);
    break;
  case 36: {
    const QTransform x = Xform(r);
    switch (r.U32LE()) {
    case 1:
      dc.world = QTransform();
      break;
    case 2:
      dc.world = x * dc.world;
      break;
    case 3:
      dc.world = dc.world * x;
      break;
    case 4:
      dc.world = x;
      break;
    default:
      break;
    }
    break;
  }
  case 37: {
    const uint32_t index = r.U32LE();
    if (index & kStockObject)
      gdi.SelectStockObject(index & ~kStockObject);
    else
      gdi.SelectObject(index);
    break;
  }
  case 38: {
    const uint32_t slot = r.U32LE();
    Pen pen;
    pen.style = static_cast<int>(r.U32LE());
    pen.width = std::abs(r.I32LE());
    r.I32LE();
    pen.color = r.U32LE();
    gdi.CreateObject(static_cast<int>(slot & 0xFFFF), pen);
    break;
  }
  case 95: { // EXTCREATEPEN
    const uint32_t slot = r.U32LE();
    r.Skip(16);
    Pen pen;
    pen.style = static_cast<int>(r.U32LE());
    pen.width = r.U32LE() & 0xFFFF;
    r.U32LE();
    pen.color = r.U32LE();
    gdi.CreateObject(static_cast<int>(slot & 0xFFFF), pen);
    break;
  }
  case 39: {
    const uint32_t slot = r.U32LE();
    Brush brush;
    brush.style = static_cast<int>(r.U32LE());
    brush.color = r.U32LE();
    brush.hatch = static_cast<int>(r.U32LE());
    if (brush.style != BS_SOLID && brush.style != BS_HATCHED) brush.style = BS_NULL;
    gdi.CreateObject(static_cast<int>(slot & 0xFFFF), brush);
    break;
  }
  case 94: { // CREATEDIBPATTERNBRUSHPT
    const uint32_t slot = r.U32LE();
    r.U32LE();
    const uint32_t offInfo = r.U32LE(), infoSize = r.U32LE(), offBits = r.U32LE(),
                   bitsSize = r.U32LE();
    Brush brush;
    brush.style = BS_DIBPATTERNPT;
    brush.pattern = RecordDib(record, offInfo, infoSize, offBits, bitsSize);
    gdi.CreateObject(static_cast<int>(slot & 0xFFFF), brush);
    break;
  }
  case 40:
    gdi.DeleteObject(r.U32LE());
    break;
  case 82: {
    const uint32_t slot = r.U32LE();
    gdi.CreateObject(static_cast<int>(slot & 0xFFFF), ReadLogFont(r));
    break;
  }
  case 48: {
    const uint32_t index = r.U32LE();
    if (index & kStockObject)
      gdi.SelectStockObject(index & ~kStockObject);
    else
      gdi.SelectObject(index);
    break;
  }
  case 49: {
    const uint32_t slot = r.U32LE();
    r.Skip(2);
    const uint16_t count = r.U16LE();
    Palette palette;
    for (uint16_t i = 0; i < count; ++i) {
      auto e = r.Bytes(4);
      palette.entries.push_back(qRgb(e[0], e[1], e[2]));
    }
    gdi.CreateObject(static_cast<int>(slot & 0xFFFF), palette);
    break;
  }
  case 42:
    gdi.Ellipse(Box32(r));
    break;
  case 43:
    gdi.Rectangle(Box32(r));
    break;
  case 44: {
    const QRectF box = Box32(r);
    const QPointF corner = Point32(r);
    gdi.RoundRect(box, QSizeF(corner.x(), corner.y()));
    break;
  }
  case 45:
  case 46:
  case 47:
  case 55: {
    const QRectF box = Box32(r);
    const QPointF start = Point32(r), end = Point32(r);
    gdi.ArcShape(type == 46   ? ArcKind::Chord
                 : type == 47 ? ArcKind::Pie
                              : ArcKind::Arc,
                 box, start, end);
    break;
  }
  case 54:
    gdi.LineTo(Point32(r));
    break;
  case 57:
    dc.arcCounterClockwise = r.U32LE() != 2;
    break;
  case 59:
    gdi.BeginPath();
    break;
  case 60:
    gdi.EndPath();
    break;
  case 61:
    gdi.CloseFigure();
    break;
  case 62:
    gdi.FillPath(true, false);
    break;
  case 63:
    gdi.FillPath(true, true);
    break;
  case 64:
    gdi.FillPath(false, true);
    break;
  case 67:
    gdi.SelectClipPath(static_cast<int>(r.U32LE()));
    break;
  case 68:
    gdi.AbortPath();
    break;
  case 75: { // EXTSELECTCLIPRGN: data size, mode, RGNDATA (32-byte header, rectangles)
    const uint32_t size = r.U32LE();
    const int mode = static_cast<int>(r.U32LE());
    std::vector<QRectF> rects;
    if (size >= 32) {
      r.Skip(8);
      const uint32_t count = r.U32LE();
      r.Skip(20);
      if (count > r.Remaining() / 16)
        throw EInvalidGraphic("Invalid metafile: region is truncated");
      for (uint32_t i = 0; i < count; ++i)
        rects.push_back(Box32(r));
    }
    gdi.SetClipRects(rects, mode);
    break;
  }
  case 76:
  case 77: { // BITBLT, STRETCHBLT
    r.Skip(16);
    const QPointF dest = Point32(r), destSize = Point32(r);
    const uint32_t rop = r.U32LE();
    const QPointF src = Point32(r);
    r.Skip(24 + 4 + 4); // source transform, background colour, usage
    const uint32_t offInfo = r.U32LE(), infoSize = r.U32LE(), offBits = r.U32LE(),
                   bitsSize = r.U32LE();
    QPointF srcSize = destSize;
    if (type == 77) srcSize = Point32(r);
    const QRectF destRect(dest, QSizeF(destSize.x(), destSize.y()));
    if (infoSize == 0) {
      gdi.PatBlt(destRect, rop);
      break;
    }
    gdi.StretchBlt(RecordDib(record, offInfo, infoSize, offBits, bitsSize), destRect,
                   QRectF(src, QSizeF(srcSize.x(), srcSize.y())), rop);
    break;
  }
  case 80:
  case 81: { // SETDIBITSTODEVICE, STRETCHDIBITS
    r.Skip(16);
    const QPointF dest = Point32(r), src = Point32(r), srcSize = Point32(r);
    const uint32_t offInfo = r.U32LE(), infoSize = r.U32LE(), offBits = r.U32LE(),
                   bitsSize = r.U32LE();
    r.U32LE(); // usage
    uint32_t rop = 0x00CC0020;
    QPointF destSize = srcSize;
    if (type == 81) rop = r.U32LE(), destSize = Point32(r);
    gdi.StretchBlt(RecordDib(record, offInfo, infoSize, offBits, bitsSize),
                   QRectF(dest, QSizeF(destSize.x(), destSize.y())),
                   QRectF(src, QSizeF(srcSize.x(), srcSize.y())), rop);
    break;
  }
  case 83:
  case 84:
    TextRecord(gdi, r, record, type == 84);
    break;
  default:
    break; // records without a drawing effect here are skipped
  }
}

} // namespace

void PlayEmf(std::span<const uint8_t> bytes, QPainter& painter, const QRectF& target) {
  Reader head(bytes, "Invalid metafile: EMF header is truncated");
  head.Seek(4);
  const uint32_t headerSize = head.U32LE();
  head.Seek(24);
  const QRectF frame = Box32(head);
  head.Seek(56);
  const uint16_t handles = head.U16LE();
  head.Seek(72);
  const QPointF devicePixels = Point32(head), deviceMm = Point32(head);
  if (headerSize < 88 || headerSize > bytes.size() || headerSize % 4)
    throw EInvalidGraphic("Invalid metafile: EMF header has a wrong size");

  // The frame (0.01 mm) in reference-device pixels is what fills the target rectangle.
  const double pxPerMmX =
      deviceMm.x() > 0 && devicePixels.x() > 0 ? devicePixels.x() / deviceMm.x() : 96 / 25.4;
  const double pxPerMmY =
      deviceMm.y() > 0 && devicePixels.y() > 0 ? devicePixels.y() / deviceMm.y() : 96 / 25.4;
  QRectF framePx(frame.left() * pxPerMmX / 100, frame.top() * pxPerMmY / 100,
                 frame.width() * pxPerMmX / 100, frame.height() * pxPerMmY / 100);
  if (framePx.width() <= 0 || framePx.height() <= 0)
    framePx = QRectF(0, 0, target.width(), target.height());
  QTransform toTarget;
  toTarget.translate(target.left(), target.top());
  toTarget.scale(target.width() / framePx.width(), target.height() / framePx.height());
  toTarget.translate(-framePx.left(), -framePx.top());

  Player gdi(painter, toTarget, (pxPerMmX + pxPerMmY) / 2);
  gdi.SetTableSize(std::max<size_t>(handles, 1));
  size_t at = headerSize;
  while (bytes.size() - at >= 8) {
    const uint32_t type = LoadU32LE(bytes.data() + at), size = LoadU32LE(bytes.data() + at + 4);
    if (size < 8 || size % 4 || size > bytes.size() - at)
      throw EInvalidGraphic("Invalid metafile: record at offset " + std::to_string(at) +
                            " has a wrong size");
    if (type == 14) break; // EOF
    const auto record = bytes.subspan(at, size);
    Reader params(record,
                  "Invalid metafile: record at offset " + std::to_string(at) + " is malformed");
    params.Seek(8);
    PlayRecord(gdi, type, params, record);
    at += size;
  }
}
