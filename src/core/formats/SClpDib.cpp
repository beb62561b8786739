#include "formats/SClpDib.h"

#include "io/ByteReader.h"
#include "io/Limits.h"

#include <array>

namespace {

constexpr uint16_t kFileIdentifier = 50000;
constexpr uint16_t kFormatDib = 8;
constexpr size_t kEntrySize = 89;
constexpr size_t kFileHeaderSize = 14;
constexpr size_t kCoreHeaderSize = 12;
constexpr uint32_t kBitFields = 3;
constexpr uint32_t kAlphaBitFields = 6;

bool IsInfoHeaderSize(uint32_t size) {
  switch (size) {
  case kCoreHeaderSize:
  case 40:  // BITMAPINFOHEADER
  case 52:  // with the RGB masks
  case 56:  // with the RGBA masks
  case 64:  // OS/2 2.x
  case 108: // BITMAPV4HEADER
  case 124: // BITMAPV5HEADER
    return true;
  default:
    return false;
  }
}

// Where the pixel rows start within the packed bitmap `dib`: after the info header, the
// bit-field masks a 40-byte header is followed by, and the colour table.
size_t PixelOffset(std::span<const uint8_t> dib) {
  ByteReader<EDIBClpException> in(dib, ClpErrorText(TClpError::BadInfoHeader));
  uint32_t headerSize = in.U32LE();
  if (!IsInfoHeaderSize(headerSize) || headerSize > dib.size())
    RaiseClpError(TClpError::BadInfoHeader);
  if (headerSize == kCoreHeaderSize) {
    in.Seek(10);
    uint16_t bitCount = in.U16LE();
    size_t offset = headerSize + (bitCount <= 8 ? size_t{3} << bitCount : 0);
    if (offset > dib.size()) RaiseClpError(TClpError::BadInfoHeader);
    return offset;
  }
  int32_t width = in.I32LE();
  int32_t height = in.I32LE();
  in.U16LE();
  uint16_t bitCount = in.U16LE();
  uint32_t compression = in.U32LE();
  in.Skip(12);
  uint32_t colorsUsed = in.U32LE();
  if (bitCount == 0 || bitCount > 32 || width <= 0 || height == 0 || height == INT32_MIN)
    RaiseClpError(TClpError::BadInfoHeader);
  uint64_t colors = colorsUsed != 0 ? colorsUsed : bitCount <= 8 ? uint64_t{1} << bitCount : 0;
  uint64_t masks = compression == kBitFields ? 12 : compression == kAlphaBitFields ? 16 : 0;
  uint64_t offset = uint64_t{headerSize} + 4 * colors;
  if (headerSize == 40) {
    offset += masks;
  } else if (masks != 0 && width <= limits::kMaxDimension) {
    // Windows puts the masks after a larger header too when it makes a CF_DIB out of a
    // CF_DIBV5, although they are inside the header: the data length tells.
    uint64_t rows = static_cast<uint64_t>(height < 0 ? -int64_t{height} : height);
    uint64_t pixelBytes = static_cast<uint64_t>(limits::RowStride(width, bitCount)) * rows;
    if (offset + masks + pixelBytes == dib.size()) offset += masks;
  }
  if (offset > dib.size()) RaiseClpError(TClpError::BadInfoHeader);
  return static_cast<size_t>(offset);
}

} // namespace

void TSCLIPDIB::LoadClipboardFile(TStream& source) {
  TMemoryStream holder;
  std::span<const uint8_t> file = WholeStream(source, holder);
  output_.Clear();
  ByteReader<EDIBClpException> in(file, ClpErrorText(TClpError::NotClipboardFile));
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

  size_t pixelOffset = kFileHeaderSize + PixelOffset(dib);
  std::array<uint8_t, kFileHeaderSize> header{};
  header[0] = 'B';
  header[1] = 'M';
  StoreU32LE(&header[2], static_cast<uint32_t>(kFileHeaderSize + dib.size()));
  StoreU32LE(&header[10], static_cast<uint32_t>(pixelOffset));
  output_.Reserve(static_cast<int64_t>(kFileHeaderSize + dib.size()));
  output_.WriteBuffer(header.data(), header.size());
  output_.WriteBuffer(dib.data(), static_cast<int64_t>(dib.size()));
  output_.SetPosition(0);
}

void TSCLIPDIB::CopyBitmapFile(TStream& target) {
  output_.SetPosition(0);
  target.SetPosition(0);
  output_.SaveToStream(target);
}

TBitmap DecodeClp(TStream& source) {
  TSCLIPDIB reader;
  reader.LoadClipboardFile(source);
  TBitmap bitmap;
  // A clipboard file without formats holds no picture: the bitmap stays empty.
  if (reader.Output().Size() != 0) bitmap.LoadFromBmpImage(reader.Output());
  return bitmap;
}

void TSClpDIBitmap::LoadFromStream(TStream& stream) {
  // The picture is built aside and replaces this one only when it succeeds.
  static_cast<TBitmap&>(*this) = DecodeClp(stream);
  Changed();
}
