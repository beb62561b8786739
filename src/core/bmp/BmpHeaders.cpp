#include "bmp/BmpHeaders.h"

#include "io/ByteReader.h"

TBmpFileHeader ReadBmpFileHeader(const uint8_t* from) {
  return {LoadU16LE(from), LoadU32LE(from + 2), LoadU32LE(from + 6), LoadU32LE(from + 10)};
}

void WriteBmpFileHeader(const TBmpFileHeader& header, uint8_t* to) {
  StoreU16LE(to, header.signature);
  StoreU32LE(to + 2, header.fileSize);
  StoreU32LE(to + 6, header.reserved);
  StoreU32LE(to + 10, header.pixelOffset);
}

TBmpInfoHeader ReadBmpInfoHeader(const uint8_t* from) {
  const auto i32 = [](const uint8_t* p) { return static_cast<int32_t>(LoadU32LE(p)); };
  return {LoadU32LE(from),      i32(from + 4),        i32(from + 8),        LoadU16LE(from + 12),
          LoadU16LE(from + 14), LoadU32LE(from + 16), LoadU32LE(from + 20), i32(from + 24),
          i32(from + 28),       LoadU32LE(from + 32), LoadU32LE(from + 36)};
}

void WriteBmpInfoHeader(const TBmpInfoHeader& header, uint8_t* to) {
  StoreU32LE(to, header.size);
  StoreU32LE(to + 4, static_cast<uint32_t>(header.width));
  StoreU32LE(to + 8, static_cast<uint32_t>(header.height));
  StoreU16LE(to + 12, header.planes);
  StoreU16LE(to + 14, header.bitsPerPixel);
  StoreU32LE(to + 16, header.compression);
  StoreU32LE(to + 20, header.imageSize);
  StoreU32LE(to + 24, static_cast<uint32_t>(header.xResolution));
  StoreU32LE(to + 28, static_cast<uint32_t>(header.yResolution));
  StoreU32LE(to + 32, header.colorsUsed);
  StoreU32LE(to + 36, header.colorsImportant);
}
