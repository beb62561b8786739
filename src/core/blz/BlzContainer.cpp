#include "blz/BlzContainer.h"

#include "blz/BlzErrors.h"
#include "codec/LZRW1KH.h"
#include "io/ByteReader.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kCompressionField = kBmpFileHeaderSize + 16;

bool IsMagic(uint32_t value) {
  return value == kLzrwMagic || value == kLzrwMagicReversed;
}

// Bytes of `head` at `offset`, with bytes beyond its end read as 0.
uint32_t U32At(std::span<const uint8_t> head, size_t offset) {
  uint8_t bytes[4] = {};
  for (size_t i = 0; i < 4 && offset + i < head.size(); ++i)
    bytes[i] = head[offset + i];
  return LoadU32LE(bytes);
}

} // namespace

const char* LayoutName(TBmpLayout layout) {
  switch (layout) {
  case TBmpLayout::BLZStream:
    return "BLZ stream";
  case TBmpLayout::PackedBitmap:
    return "packed bitmap";
  case TBmpLayout::Plain:
    break;
  }
  return "BMP";
}

TBmpLayout RecognizeLayout(std::span<const uint8_t> head) {
  if (IsMagic(U32At(head, 0))) return TBmpLayout::BLZStream;
  if (IsMagic(U32At(head, kCompressionField))) return TBmpLayout::PackedBitmap;
  return TBmpLayout::Plain;
}

namespace blz {

size_t RecordsStart(TBmpLayout layout) {
  return layout == TBmpLayout::PackedBitmap ? kPackedHeaderSize
         : layout == TBmpLayout::BLZStream  ? kStreamHeaderSize
                                            : 0;
}

size_t PayloadStart(TBmpLayout layout) {
  return layout == TBmpLayout::PackedBitmap ? kBmpHeadersSize : 0;
}

uint32_t ReadStreamHeader(std::span<const uint8_t> file) {
  if (file.size() < kStreamHeaderSize) ThrowBlzError(TBlzError::Truncated);
  return LoadU32LE(file.data() + 4);
}

TPackedHeader ReadPackedHeader(std::span<const uint8_t> file) {
  uint8_t header[kPackedHeaderSize] = {};
  std::memcpy(header, file.data(), std::min(file.size(), kPackedHeaderSize));
  TBmpFileHeader fileHeader = ReadBmpFileHeader(header);
  TBmpInfoHeader info = ReadBmpInfoHeader(header + kBmpFileHeaderSize);
  TPackedHeader packed;
  packed.storedSize = static_cast<int32_t>(fileHeader.reserved);
  packed.hasMagic = IsMagic(info.compression);
  fileHeader.reserved = 0;
  info.compression = LoadU32LE(header + kBmpHeadersSize);
  WriteBmpFileHeader(fileHeader, packed.bmpHeaders.data());
  WriteBmpInfoHeader(info, packed.bmpHeaders.data() + kBmpFileHeaderSize);
  return packed;
}

std::vector<uint8_t> LayoutHeader(TBmpLayout layout, std::span<const uint8_t> bmpHead,
                                  uint32_t imageSize) {
  if (layout == TBmpLayout::BLZStream) {
    std::vector<uint8_t> header(kStreamHeaderSize);
    StoreU32LE(header.data(), kLzrwMagic);
    StoreU32LE(header.data() + 4, imageSize);
    return header;
  }
  std::vector<uint8_t> header(kPackedHeaderSize);
  TBmpFileHeader fileHeader = ReadBmpFileHeader(bmpHead.data());
  TBmpInfoHeader info = ReadBmpInfoHeader(bmpHead.data() + kBmpFileHeaderSize);
  fileHeader.reserved = imageSize;
  StoreU32LE(header.data() + kBmpHeadersSize, info.compression);
  info.compression = kLzrwMagic;
  WriteBmpFileHeader(fileHeader, header.data());
  WriteBmpInfoHeader(info, header.data() + kBmpFileHeaderSize);
  return header;
}

size_t ReadRecordFrame(const uint8_t* frame, size_t available) {
  if (available < kRecordFrameSize) ThrowBlzError(TBlzError::Truncated);
  const size_t length = LoadU16LE(frame);
  if (length > lzrw1kh::kWorkBufferSize) ThrowBlzError(TBlzError::RecordTooLong);
  if (available - kRecordFrameSize < length) ThrowBlzError(TBlzError::Truncated);
  return length;
}

std::optional<size_t> WholeRecordFrame(const uint8_t* frame, size_t available) {
  if (available < kRecordFrameSize) return std::nullopt;
  const size_t length = LoadU16LE(frame);
  if (length > lzrw1kh::kWorkBufferSize || available - kRecordFrameSize < length)
    return std::nullopt;
  return length;
}

void WriteRecordFrame(uint8_t* frame, uint16_t length) {
  StoreU16LE(frame, length);
}

} // namespace blz
