// The two headers every BMP image starts with, read and written field by field. Reading and
// writing back gives the same bytes, whatever the fields hold.
//
//   file header (14 bytes)   "BM", file size, reserved, offset of the pixel data
//   info header (40 bytes)   size, width, height, planes, bits per pixel, compression,
//                            image size, resolutions, colours used, colours important
//   BITMAPV5HEADER (124)     the 40 bytes, then at 40 the red, green, blue and alpha masks,
//                            at 56 the colour space type, then endpoints, gamma, intent and
//                            profile fields (all 0 for an sRGB picture)
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr size_t kBmpFileHeaderSize = 14;
inline constexpr size_t kBmpInfoHeaderSize = 40;
inline constexpr size_t kBmpHeadersSize = kBmpFileHeaderSize + kBmpInfoHeaderSize;
inline constexpr uint16_t kBmpSignature = 0x4D42; // "BM"
inline constexpr uint32_t kBmpBitFields = 3;      // the compression value of masked pixels

// The header a picture with alpha is written with: 32-bit B,G,R,A pixels under their masks.
inline constexpr size_t kBmpV5HeaderSize = 124;
inline constexpr size_t kBmpV5MasksOffset = 40;      // in the info header
inline constexpr size_t kBmpV5ColorSpaceOffset = 56; // in the info header
inline constexpr uint32_t kLcsSRgb = 0x73524742;     // "sRGB", LCS_sRGB
inline constexpr uint32_t kBgraMasks[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};

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
