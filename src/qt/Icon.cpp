#include "qt/Icon.h"

#include "bmp/BmpErrors.h"
#include "bmp/DibReader.h"
#include "io/ByteReader.h"
#include "io/Exceptions.h"
#include "io/Limits.h"
#include "io/Streams.h"
#include "qt/Canvas.h"
#include "qt/PainterTarget.h"

#include <QPainter>
#include <algorithm>
#include <cstdlib>

namespace {

constexpr size_t kDirHeaderSize = 6;
constexpr size_t kDirEntrySize = 16;
constexpr size_t kMaxAttempts = 32;
constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

using Reader = ByteReader<EInvalidGraphic>;

[[noreturn]] void Fail(const std::string& why) {
  throw EInvalidGraphic("Invalid icon: " + why);
}

struct Entry {
  std::span<const uint8_t> bytes;
  bool png = false;
  int width = 0, height = 0, bitsPerPixel = 0;
};

bool IsPng(std::span<const uint8_t> bytes) {
  return bytes.size() >= 8 && std::equal(kPngSignature, kPngSignature + 8, bytes.begin());
}

// Reads the entry's own header for its real size and depth.
Entry Describe(std::span<const uint8_t> bytes) {
  Entry entry{bytes};
  if (IsPng(bytes)) {
    Reader r(bytes, "Invalid icon: PNG image header is truncated");
    r.Seek(16);
    uint32_t w = r.U32BE(), h = r.U32BE();
    entry.png = true;
    entry.width = w > 65535 ? 65536 : static_cast<int>(w);
    entry.height = h > 65535 ? 65536 : static_cast<int>(h);
    entry.bitsPerPixel = 32;
    return entry;
  }
  Reader r(bytes, "Invalid icon: image header is truncated");
  uint32_t headerSize = r.U32LE();
  int32_t width = r.I32LE(), height = r.I32LE();
  uint16_t planes = r.U16LE(), bits = r.U16LE();
  if (headerSize < 40) Fail("image header is not a BITMAPINFOHEADER");
  if (width <= 0 || height <= 0 || height % 2 != 0 || width > 65535 || height / 2 > 65535)
    Fail("image size is invalid");
  entry.width = width;
  entry.height = height / 2;
  // Only used to rank entries; a hostile planes × bits product must not overflow.
  entry.bitsPerPixel =
      static_cast<int>(std::min<int64_t>(int64_t{bits} * (planes ? planes : 1), 64));
  return entry;
}

// 0 when `entry` has the standard size, else how far its size lies from it.
int Distance(const Entry& e) {
  return std::abs(e.width - kStandardIconSize) + std::abs(e.height - kStandardIconSize);
}

// The standard size first, then the nearest; among equals the most colours.
bool Better(const Entry& a, const Entry& b) {
  const int da = Distance(a), db = Distance(b);
  return da != db ? da < db : a.bitsPerPixel > b.bitsPerPixel;
}

// Every chunk must lie inside the entry's bytes before the PNG decoder sees them: it would
// otherwise try to read a chunk that claims gigabytes, which takes seconds.
void CheckPngChunks(std::span<const uint8_t> bytes) {
  size_t at = 8;
  while (bytes.size() - at >= 8) {
    uint64_t length = uint64_t{bytes[at]} << 24 | uint64_t{bytes[at + 1]} << 16 |
                      uint64_t{bytes[at + 2]} << 8 | bytes[at + 3];
    if (length + 12 > bytes.size() - at) Fail("PNG chunk runs past the end of the image");
    at += static_cast<size_t>(length) + 12;
  }
}

QImage DecodePng(const Entry& entry) {
  limits::CheckBitmapLimits(entry.width, entry.height, 32, "Icon PNG image");
  CheckPngChunks(entry.bytes);
  QImage image = QImage::fromData(entry.bytes.data(), static_cast<int>(entry.bytes.size()), "PNG");
  if (image.isNull()) Fail("PNG image cannot be read");
  return image.convertToFormat(QImage::Format_ARGB32);
}

// A BMP-style entry: colour rows and AND mask, into `image` (with alpha) and `invert`.
void DecodeBmpEntry(const Entry& entry, QImage& image, QImage& invert) {
  // The colour rows' place and colours by the one DIB rule; the AND mask is the icon's own.
  TDibHeader dib;
  try {
    dib = ReadDibLayout(entry.bytes);
  } catch (const EInvalidGraphic& e) {
    Fail(std::string(e.what()).substr(sizeof kInvalidBmp + 1));
  }
  const int bits = dib.bitsPerPixel;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
    Fail("unsupported bit depth " + std::to_string(bits));
  if (dib.compression != 0 && !(dib.compression == 3 && bits == 32)) Fail("compressed image data");
  const int w = entry.width, h = entry.height;
  limits::CheckBitmapLimits(w, h, 32, "Icon image");

  std::vector<QRgb> palette(256, qRgb(0, 0, 0));
  if (bits <= 8) {
    const std::vector<TRGBQuad> table = ReadDibColorTable(dib, entry.bytes, entry.bytes.size());
    for (size_t i = 0; i < table.size(); ++i)
      palette[i] = qRgb(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue);
  }
  Reader r(entry.bytes, "Invalid icon: image data is truncated");
  r.Seek(dib.pixelOffset);
  const size_t stride = static_cast<size_t>(limits::RowStride(w, bits));
  auto colorRows = r.Bytes(stride * static_cast<size_t>(h));
  const size_t maskStride = static_cast<size_t>(limits::RowStride(w, 1));
  // Some 32-bit icons leave the mask out; then every pixel is opaque.
  std::span<const uint8_t> maskRows;
  if (r.Remaining() >= maskStride * static_cast<size_t>(h))
    maskRows = r.Bytes(maskStride * static_cast<size_t>(h));

  image = QImage(w, h, QImage::Format_ARGB32);
  if (image.isNull()) Fail("out of memory");
  bool anyAlpha = false;
  if (bits == 32)
    for (int y = 0; y < h && !anyAlpha; ++y)
      for (int x = 0; x < w; ++x)
        if (colorRows[static_cast<size_t>(y) * stride + 4 * static_cast<size_t>(x) + 3]) {
          anyAlpha = true;
          break;
        }
  bool anyInvert = false;
  QImage inverted(w, h, QImage::Format_RGB32);
  inverted.fill(0);
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = colorRows.data() + static_cast<size_t>(h - 1 - y) * stride;
    const uint8_t* mask =
        maskRows.empty() ? nullptr : maskRows.data() + static_cast<size_t>(h - 1 - y) * maskStride;
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
    auto* inv = reinterpret_cast<QRgb*>(inverted.scanLine(y));
    for (int x = 0; x < w; ++x) {
      QRgb c;
      switch (bits) {
      case 1:
        c = palette[(row[x / 8] >> (7 - x % 8)) & 1];
        break;
      case 4:
        c = palette[(row[x / 2] >> (x % 2 ? 0 : 4)) & 15];
        break;
      case 8:
        c = palette[row[x]];
        break;
      case 24:
        c = qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
        break;
      default:
        c = qRgba(row[4 * x + 2], row[4 * x + 1], row[4 * x], anyAlpha ? row[4 * x + 3] : 255);
      }
      const bool masked = mask && ((mask[x / 8] >> (7 - x % 8)) & 1);
      if (masked && !anyAlpha) {
        // Mask set: the screen shows through, XORed with the colour (black leaves it).
        if ((c & 0xFFFFFF) != 0) inv[x] = c | 0xFF000000u, anyInvert = true;
        c = 0;
      }
      out[x] = c;
    }
  }
  invert = anyInvert ? inverted : QImage();
}

void DecodeEntry(const Entry& chosen, QImage& image, QImage& invert) {
  QImage decoded, xorPart;
  if (chosen.png)
    decoded = DecodePng(chosen);
  else
    DecodeBmpEntry(chosen, decoded, xorPart);
  if (decoded.width() != kStandardIconSize || decoded.height() != kStandardIconSize) {
    decoded = decoded
                  .scaled(kStandardIconSize, kStandardIconSize, Qt::IgnoreAspectRatio,
                          Qt::SmoothTransformation)
                  .convertToFormat(QImage::Format_ARGB32);
    if (!xorPart.isNull()) xorPart = xorPart.scaled(kStandardIconSize, kStandardIconSize);
  }
  image = decoded;
  invert = xorPart;
}

// Decodes an icon or cursor file from memory into the 32 × 32 image and its invert part. A
// damaged entry gives way to the next best readable one; with none, the first fault is told.
void DecodeIcon(std::span<const uint8_t> bytes, QImage& image, QImage& invert) {
  Reader r(bytes, "Invalid icon: file is truncated");
  if (bytes.size() < kDirHeaderSize) Fail("file is too short");
  const uint16_t reserved = r.U16LE(), type = r.U16LE(), count = r.U16LE();
  if (reserved != 0 || (type != 1 && type != 2))
    throw EGraphicOfKind(TFailureKind::NotThisFormat, "Invalid icon: not an icon file");
  if (count == 0) Fail("icon file holds no image");
  std::vector<Entry> entries;
  std::string firstFault;
  for (uint16_t i = 0; i < count; ++i) {
    try {
      r.Seek(kDirHeaderSize + kDirEntrySize * i + 8);
      const uint32_t size = r.U32LE(), offset = r.U32LE();
      if (offset >= bytes.size())
        Fail("directory entry " + std::to_string(i) + " points outside the file");
      // A size too small for even the bitmap header is a writer's slip: the header decides.
      const bool sizeFits =
          size <= bytes.size() - offset && (size >= 40 || IsPng(bytes.subspan(offset)));
      entries.push_back(Describe(sizeFits ? bytes.subspan(offset, size) : bytes.subspan(offset)));
    } catch (const EInvalidGraphic& e) {
      if (firstFault.empty()) firstFault = e.what();
    }
  }
  std::stable_sort(entries.begin(), entries.end(), Better);
  // Real files hold a few dozen entries at most; a hostile one could point thousands at one
  // large damaged picture, each decoded until it fails.
  if (entries.size() > kMaxAttempts) entries.resize(kMaxAttempts);
  for (const Entry& entry : entries) {
    try {
      DecodeEntry(entry, image, invert);
      return;
    } catch (const EInvalidGraphic& e) {
      if (firstFault.empty()) firstFault = e.what();
    }
  }
  throw EInvalidGraphic(firstFault);
}

} // namespace

struct TIcon::Pixels {
  QImage image;  // non-premultiplied ARGB
  QImage invert; // null when no masked pixel has a colour
};

void TIcon::LoadFromStream(TStream& stream) {
  TMemoryStream contents;
  // CopyFrom with a count of 0 would copy the whole stream; an empty rest stays empty.
  if (int64_t rest = stream.Size() - stream.Position(); rest > 0) contents.CopyFrom(stream, rest);
  auto pixels = std::make_shared<Pixels>();
  DecodeIcon(contents.Bytes(), pixels->image, pixels->invert);
  data_.assign(contents.Bytes().begin(), contents.Bytes().end());
  pixels_ = std::move(pixels);
  Changed();
}

void TIcon::SaveToStream(TStream& stream) const {
  stream.WriteBuffer(data_.data(), static_cast<int64_t>(data_.size()));
}

void TIcon::Draw(TDrawTarget& drawTarget, const TRect& rect) const {
  if (!pixels_) return;
  QPainter& painter = PainterOf(drawTarget);
  const QRect target(rect.Left, rect.Top, rect.Width(), rect.Height());
  painter.save();
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter.drawImage(target, pixels_->image);
  if (!pixels_->invert.isNull()) {
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.drawImage(target, pixels_->invert);
  }
  painter.restore();
}

TBitmap TIcon::RenderOnWhite() const {
  return PaintOnWhite(*this);
}
