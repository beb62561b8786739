// The two headers every BMP image starts with, read and written field by field. Reading and
// writing back gives the same bytes, whatever the fields hold.
//
//   file header (14 bytes)   "BM", file size, reserved, offset of the pixel data
//   info header (40 bytes)   size, width, height, planes, bits per pixel, compression,
//                            image size, resolutions, colours used, colours important
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr size_t kBmpFileHeaderSize = 14;
inline constexpr size_t kBmpInfoHeaderSize = 40;
inline constexpr size_t kBmpHeadersSize = kBmpFileHeaderSize + kBmpInfoHeaderSize;
inline constexpr uint16_t kBmpSignature = 0x4D42; // "BM"

struct TBmpFileHeader {
  uint16_t signature = kBmpSignature;
  uint32_t fileSize = 0;
  uint32_t reserved = 0;
  uint32_t pixelOffset = 0;
};

struct TBmpInfoHeader {
  uint32_t size = kBmpInfoHeaderSize;
  int32_t width = 0;
  int32_t height = 0; // negative: rows stored top-down
  uint16_t planes = 1;
  uint16_t bitsPerPixel = 0;
  uint32_t compression = 0;
  uint32_t imageSize = 0;
  int32_t xResolution = 0;
  int32_t yResolution = 0;
  uint32_t colorsUsed = 0;
  uint32_t colorsImportant = 0;
};

// `from` holds kBmpFileHeaderSize (or kBmpInfoHeaderSize) bytes; `to` has room for them.
TBmpFileHeader ReadBmpFileHeader(const uint8_t* from);
void WriteBmpFileHeader(const TBmpFileHeader& header, uint8_t* to);
TBmpInfoHeader ReadBmpInfoHeader(const uint8_t* from);
void WriteBmpInfoHeader(const TBmpInfoHeader& header, uint8_t* to);
