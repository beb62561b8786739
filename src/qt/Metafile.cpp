#include "qt/Metafile.h"

#include "io/ByteReader.h"
#include "io/Limits.h"
#include "io/Streams.h"
#include "qt/Canvas.h"
#include "qt/PainterTarget.h"

#include <QImage>
#include <QPainter>
#include <QRectF>
#include <cmath>

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr uint32_t kEmfSignature = 0x464D4520; // " EMF"
constexpr size_t kPlaceableSize = 22;
constexpr uint16_t kSetWindowExt = 0x020C;

using Reader = ByteReader<EInvalidGraphic>;

[[noreturn]] void Fail(const std::string& why) {
  throw EInvalidGraphic("Invalid metafile: " + why);
}

int ToScreen(double units, double unitsPerInch) {
  return static_cast<int>(std::lround(std::abs(units) * 96.0 / unitsPerInch));
}

// The window extent of a WMF without placeable header: the first SETWINDOWEXT record.
bool FindWindowExtent(std::span<const uint8_t> bytes, int& width, int& height) {
  Reader r(bytes, "Invalid metafile: record is truncated");
  r.Seek(2);
  r.Seek(size_t{r.U16LE()} * 2);
  while (r.Remaining() >= 6) {
    const size_t start = r.Position();
    const uint32_t words = r.U32LE();
    const uint16_t function = r.U16LE();
    if (function == 0 || words < 3 || words > (r.Size() - start) / 2) return false;
    if (function == kSetWindowExt && words >= 5) {
      height = static_cast<int16_t>(r.U16LE());
      width = static_cast<int16_t>(r.U16LE());
      return true;
    }
    r.Seek(start + size_t{words} * 2);
  }
  return false;
}

} // namespace

TMetafileHeader ReadMetafileHeader(std::span<const uint8_t> bytes) {
  Reader r(bytes, "Invalid metafile: header is truncated");
  if (bytes.size() < 18) Fail("file is too short");
  TMetafileHeader header;
  const uint32_t first = r.U32LE();
  if (first == 1 && bytes.size() >= 88) {
    r.Seek(40);
    if (r.U32LE() == kEmfSignature) {
      header.enhanced = true;
      r.Seek(8);
      const int32_t bl = r.I32LE(), bt = r.I32LE(), br = r.I32LE(), bb = r.I32LE();
      const int32_t fl = r.I32LE(), ft = r.I32LE(), fr = r.I32LE(), fb = r.I32LE();
      header.width = ToScreen(static_cast<double>(fr) - fl, 2540);
      header.height = ToScreen(static_cast<double>(fb) - ft, 2540);
      if (header.width == 0 || header.height == 0) {
        header.width =
            static_cast<int>(std::min<double>(std::abs(static_cast<double>(br) - bl) + 1, 1e9));
        header.height =
            static_cast<int>(std::min<double>(std::abs(static_cast<double>(bb) - bt) + 1, 1e9));
      }
    }
  }
  if (!header.enhanced) {
    std::span<const uint8_t> wmf = bytes;
    if (first == kPlaceableKey) {
      r.Seek(6);
      const int16_t left = static_cast<int16_t>(r.U16LE()), top = static_cast<int16_t>(r.U16LE());
      const int16_t right = static_cast<int16_t>(r.U16LE()),
                    bottom = static_cast<int16_t>(r.U16LE());
      const uint16_t inch = r.U16LE();
      if (inch == 0) Fail("placeable header gives 0 units per inch");
      header.width = ToScreen(int{right} - left, inch);
      header.height = ToScreen(int{bottom} - top, inch);
      wmf = bytes.subspan(kPlaceableSize);
    }
    Reader w(wmf, "Invalid metafile: header is truncated");
    const uint16_t type = w.U16LE(), headerWords = w.U16LE(), version = w.U16LE();
    if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x0300 && version != 0x0100))
      throw EGraphicOfKind(TFailureKind::NotThisFormat, "Invalid metafile: not a Windows metafile");
    if (first != kPlaceableKey) {
      int ew = 0, eh = 0;
      if (!FindWindowExtent(wmf, ew, eh) || ew == 0 || eh == 0)
        Fail("metafile without placeable header has no window extent");
      header.width = std::abs(ew);
      header.height = std::abs(eh);
    }
  }
  if (header.width <= 0 || header.height <= 0) Fail("picture has no size");
  limits::CheckBitmapLimits(header.width, header.height, 24, "Metafile");
  return header;
}

void TMetafile::LoadFromStream(TStream& stream) {
  TMemoryStream contents;
  // CopyFrom with a count of 0 would copy the whole stream; an empty rest stays empty.
  if (int64_t rest = stream.Size() - stream.Position(); rest > 0) contents.CopyFrom(stream, rest);
  const TMetafileHeader header = ReadMetafileHeader(contents.Bytes());
  {
    // A trial run on one pixel finds damaged records while the caller can still refuse them.
    QImage probe(1, 1, QImage::Format_RGB32);
    QPainter painter(&probe);
    const QRectF target(0, 0, header.width, header.height);
    if (header.enhanced)
      PlayEmf(contents.Bytes(), painter, target);
    else
      PlayWmf(contents.Bytes(), painter, target);
  }
  data_.assign(contents.Bytes().begin(), contents.Bytes().end());
  header_ = header;
  Changed();
}

void TMetafile::SaveToStream(TStream& stream) const {
  stream.WriteBuffer(data_.data(), static_cast<int64_t>(data_.size()));
}

void TMetafile::Draw(TDrawTarget& drawTarget, const TRect& rect) const {
  if (data_.empty()) return;
  QPainter& painter = PainterOf(drawTarget);
  const QRectF target(rect.Left, rect.Top, rect.Width(), rect.Height());
  try {
    if (header_.enhanced)
      PlayEmf(data_, painter, target);
    else
      PlayWmf(data_, painter, target);
  } catch (const Exception&) {
    // Checked when loaded; what was drawn before a damaged record stays.
  }
}

TBitmap TMetafile::RenderOnWhite() const {
  return PaintOnWhite(*this);
}
