#include "formats/SClpDib.h"

#include "bmp/BmpHeaders.h"
#include "bmp/DibReader.h"
#include "io/ByteReader.h"

namespace {

constexpr uint16_t kFileIdentifier = 50000;
constexpr uint16_t kFormatDib = 8;
constexpr size_t kEntrySize = 89;

using ClpReader = ByteReader<EDIBClpException, TClpError>;

// The DIB's layout by the one DIB rule, refused with this reader's own error when its header
// or colour table does not fit, or when it holds no picture of one pixel at least.
TDibHeader ClipboardDibLayout(std::span<const uint8_t> dib) {
  TDibHeader h;
  try {
    h = ReadDibLayout(dib);
  } catch (const EInvalidGraphic&) {
    RaiseClpError(TClpError::BadInfoHeader);
  }
  if (h.bitsPerPixel == 0 || h.bitsPerPixel > 32 || h.width <= 0 || h.rows == 0)
    RaiseClpError(TClpError::BadInfoHeader);
  return h;
}

} // namespace

void TSCLIPDIB::LoadClipboardFile(TStream& source) {
  TMemoryStream holder;
  LoadClipboardFile(WholeStream(source, holder));
}

void TSCLIPDIB::LoadClipboardFile(std::span<const uint8_t> file) {
  dib_.clear();
  output_.Clear();
  ClpReader in(file, TClpError::NotClipboardFile);
  if (in.U16LE() != kFileIdentifier) RaiseClpError(TClpError::NotClipboardFile);
  uint16_t count = in.U16LE();
  if (count == 0) return;

  // The directory ends with the file at the latest.
  std::span<const uint8_t> dib;
  bool found = false;
  for (uint16_t i = 0; i < count && in.Remaining() >= kEntrySize && !found; ++i) {
    auto entry = in.Bytes(kEntrySize);
    if (LoadU16LE(entry.data()) != kFormatDib) continue;
    uint32_t length = LoadU32LE(entry.data() + 2);
    uint32_t offset = LoadU32LE(entry.data() + 6);
    if (offset > file.size() || length > file.size() - offset) RaiseClpError(TClpError::BeyondEnd);
    dib = file.subspan(offset, length);
    found = true;
  }
  if (!found) RaiseClpError(TClpError::NoDib);
  pixelOffset_ = ClipboardDibLayout(dib).pixelOffset;
  dib_.assign(dib.begin(), dib.end());
}

TBitmap TSCLIPDIB::Bitmap() const {
  TBitmap bitmap;
  // A clipboard file without formats holds no picture: the bitmap stays empty.
  if (!dib_.empty()) ReadDib(dib_, bitmap);
  return bitmap;
}

TMemoryStream& TSCLIPDIB::Output() {
  if (output_.Size() == 0 && !dib_.empty()) {
    TBmpFileHeader header;
    header.fileSize = static_cast<uint32_t>(kBmpFileHeaderSize + dib_.size());
    header.pixelOffset = static_cast<uint32_t>(kBmpFileHeaderSize + pixelOffset_);
    uint8_t bytes[kBmpFileHeaderSize];
    WriteBmpFileHeader(header, bytes);
    output_.WriteBuffer(bytes, sizeof bytes);
    output_.WriteBuffer(dib_.data(), static_cast<int64_t>(dib_.size()));
  }
  output_.SetPosition(0);
  return output_;
}

void TSCLIPDIB::CopyBitmapFile(TStream& target) {
  Output();
  target.SetPosition(0);
  output_.SaveToStream(target);
}

TBitmap DecodeClp(std::span<const uint8_t> bytes) {
  TSCLIPDIB reader;
  reader.LoadClipboardFile(bytes);
  return reader.Bitmap();
}

TBitmap DecodeClp(TStream& source) {
  TMemoryStream holder;
  return DecodeClp(WholeStream(source, holder));
}

void TSClpDIBitmap::LoadFromStream(TStream& stream) {
  // The picture is built aside and replaces this one only when it succeeds.
  static_cast<TBitmap&>(*this) = DecodeClp(stream);
  Changed();
}
