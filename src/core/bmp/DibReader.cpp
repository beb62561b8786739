#include "bmp/DibReader.h"

#include "bmp/BmpErrors.h"
#include "bmp/BmpHeaders.h"
#include "bmp/BmpRle.h"
#include "io/Limits.h"
#include "io/Streams.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

enum : uint32_t {
  kRgb = 0,
  kRle8 = 1,
  kRle4 = 2,
  kBitFields = 3,
  kJpeg = 4,
  kPng = 5,
  kAlphaBitFields = 6,
};

// No scanner or printer reaches 25400 dots per inch: a larger value marks a damaged header.
constexpr int64_t kMaxPixelsPerMetre = 1000000;

bool IsWindowsHeaderSize(uint32_t size) {
  return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

bool IsRle(const TDibHeader& h) {
  return h.compression == kRle8 || h.compression == kRle4;
}
bool IsBitFields(const TDibHeader& h) {
  return h.compression == kBitFields || h.compression == kAlphaBitFields;
}

[[noreturn]] void ThrowPixelPastPalette(int64_t x, int64_t y, unsigned index, size_t entries) {
  ThrowInvalidBmp("the pixel at (" + std::to_string(x) + ", " + std::to_string(y) +
                  ") uses colour " + std::to_string(index) + " of a table of " +
                  std::to_string(entries) + " entries");
}

// With a partial colour table, a pixel may name an entry the file does not have.
void CheckIndices(const TBitmap& bitmap, size_t entries) {
  if (bitmap.Width() == 0) return;
  const int bpp = bitmap.BitsPerPixel();
  const int perByte = 8 / bpp;
  // Whether every pixel packed in a byte names an entry that exists; rows are checked a byte
  // at a time, and only a row that fails is searched pixel by pixel for the message.
  bool wholeByteValid[256];
  for (unsigned byte = 0; byte < 256; ++byte) {
    wholeByteValid[byte] = true;
    for (int i = 0; i < perByte; ++i)
      if ((byte >> (bpp * i) & ((1u << bpp) - 1)) >= entries) wholeByteValid[byte] = false;
  }
  const int wholeBytes = bitmap.Width() / perByte;
  for (int y = 0; y < bitmap.Height(); ++y) {
    const uint8_t* row = bitmap.ScanLine(y);
    bool valid = true;
    for (int i = 0; i < wholeBytes; ++i)
      valid &= wholeByteValid[row[i]];
    for (int x = wholeBytes * perByte; valid && x < bitmap.Width(); ++x)
      valid = (row[x / perByte] >> (8 - bpp * (x % perByte + 1)) & ((1u << bpp) - 1)) < entries;
    if (valid) continue;
    for (int x = 0; x < bitmap.Width(); ++x) {
      const unsigned index = bpp == 8   ? row[x]
                             : bpp == 4 ? row[x >> 1] >> ((x & 1) ? 0 : 4) & 0x0F
                                        : row[x >> 3] >> (7 - (x & 7)) & 1;
      if (index >= entries) ThrowPixelPastPalette(x, y, index, entries);
    }
  }
}

bool AnyAlpha(const TBitmap& bitmap) {
  for (int y = 0; y < bitmap.Height(); ++y) {
    const uint8_t* row = bitmap.ScanLine(y);
    for (int x = 0; x < bitmap.Width(); ++x)
      if (row[4 * x + 3] != 0) return true;
  }
  return false;
}

void WidenTwoBitRow(const uint8_t* source, uint8_t* target, int width) {
  for (int x = 0; x < width; x += 2) {
    const unsigned first = source[x >> 2] >> (6 - 2 * (x & 3)) & 3;
    const unsigned second = x + 1 < width ? source[(x + 1) >> 2] >> (6 - 2 * ((x + 1) & 3)) & 3 : 0;
    target[x >> 1] = static_cast<uint8_t>(first << 4 | second);
  }
}

} // namespace

bool IsDibHeaderSize(uint32_t size) {
  return size == 12 || IsWindowsHeaderSize(size) || (size >= 16 && size <= 64);
}

TDibHeader ReadDibHeader(ByteReader<EInvalidGraphic>& in) {
  TDibHeader h;
  h.headerSize = in.U32LE();
  if (h.headerSize == 12) {
    h.core = true;
    h.width = in.U16LE();
    h.rows = in.U16LE();
    h.planes = in.U16LE();
    h.bitsPerPixel = in.U16LE();
  } else if (IsDibHeaderSize(h.headerSize)) {
    h.os2 = !IsWindowsHeaderSize(h.headerSize);
    // The header as far as it reaches, zero where it ends early; the masks follow the
    // 40 bytes of the common fields.
    uint8_t header[128] = {};
    StoreU32LE(header, h.headerSize);
    auto fields = in.Bytes(h.headerSize - 4);
    std::memcpy(header + 4, fields.data(), fields.size());
    const TBmpInfoHeader info = ReadBmpInfoHeader(header);
    if (info.width < 0) ThrowInvalidBmp("the width " + std::to_string(info.width) + " is negative");
    h.width = info.width;
    h.topDown = info.height < 0;
    h.rows = h.topDown ? -int64_t{info.height} : info.height;
    h.planes = info.planes;
    h.bitsPerPixel = info.bitsPerPixel;
    h.compression = info.compression;
    h.imageSize = info.imageSize;
    h.xResolution = info.xResolution;
    h.yResolution = info.yResolution;
    h.colorsUsed = info.colorsUsed;
    const uint8_t* f = header + kBmpInfoHeaderSize;
    if (!h.os2) {
      uint32_t* masks[] = {&h.masks.red, &h.masks.green, &h.masks.blue, &h.masks.alpha};
      const int inHeader = std::min<int>((static_cast<int>(h.headerSize) - 40) / 4, 4);
      for (int i = 0; i < inHeader; ++i)
        *masks[i] = LoadU32LE(f + 4 * i);
      const int needed = h.compression == kAlphaBitFields ? 4 : h.compression == kBitFields ? 3 : 0;
      for (int i = inHeader; i < needed; ++i)
        *masks[i] = in.U32LE();
    }
  } else {
    ThrowInvalidBmp("the info header size " + std::to_string(h.headerSize) +
                    " is not one of a BMP file");
  }
  h.tableStart = in.Position();
  h.tableEntries = h.core || h.colorsUsed == 0
                       ? (h.bitsPerPixel <= 8 ? uint64_t{1} << h.bitsPerPixel : 0)
                       : h.colorsUsed;
  return h;
}

TDibHeader ReadDibLayout(std::span<const uint8_t> dib) {
  ByteReader<EInvalidGraphic> in(dib, std::string(kInvalidBmp) + ": the header is truncated");
  TDibHeader h = ReadDibHeader(in);
  const uint64_t tableBytes = h.tableEntries * (h.core ? 3 : 4);
  uint64_t offset = h.tableStart + tableBytes;
  if (offset > dib.size())
    ThrowInvalidBmp("the colour table of " + std::to_string(h.tableEntries) +
                    " entries runs past the end of the data");
  const uint64_t trailingMasks = !IsWindowsHeaderSize(h.headerSize) || h.headerSize == 40 ? 0
                                 : h.compression == kBitFields                            ? 12
                                 : h.compression == kAlphaBitFields                       ? 16
                                                                                          : 0;
  if (trailingMasks != 0 && h.width <= limits::kMaxDimension && h.rows <= limits::kMaxDimension &&
      h.bitsPerPixel <= 32) {
    const uint64_t pixelBytes =
        static_cast<uint64_t>(limits::RowStride(h.width, h.bitsPerPixel) * h.rows);
    if (offset + trailingMasks + pixelBytes == dib.size()) offset += trailingMasks;
  }
  h.pixelOffset = static_cast<size_t>(offset);
  return h;
}

void CheckDibHeader(const TDibHeader& h, size_t fileBytes) {
  if (h.planes != 1)
    ThrowInvalidBmp("the plane count is " + std::to_string(h.planes) + " instead of 1");
  if (h.os2 && h.compression == 3) ThrowInvalidBmp("Huffman 1D compression is not supported");
  if (h.os2 && h.compression == 4) ThrowInvalidBmp("RLE24 compression is not supported");
  if (h.compression == kJpeg) ThrowInvalidBmp("embedded JPEG images are not supported");
  if (h.compression == kPng) ThrowInvalidBmp("embedded PNG images are not supported");
  const int bpp = h.bitsPerPixel;
  if (bpp == 64) ThrowInvalidBmp("64 bits per pixel are not supported");
  if (bpp != 1 && bpp != 2 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
    ThrowInvalidBmp(std::to_string(bpp) + " bits per pixel is not a BMP depth");
  bool fits;
  switch (h.compression) {
  case kRgb:
    fits = true;
    break;
  case kRle8:
    fits = bpp == 8;
    break;
  case kRle4:
    fits = bpp == 4;
    break;
  case kBitFields:
  case kAlphaBitFields:
    fits = bpp == 16 || bpp == 32;
    break;
  default:
    ThrowInvalidBmp("the compression " + std::to_string(h.compression) + " is unknown");
  }
  if (!fits)
    ThrowInvalidBmp("the compression " + std::to_string(h.compression) + " does not go with " +
                    std::to_string(bpp) + " bits per pixel");
  if (IsRle(h) && h.topDown) ThrowInvalidBmp("an RLE-compressed image cannot be top-down");
  for (int32_t resolution : {h.xResolution, h.yResolution})
    if (resolution > kMaxPixelsPerMetre || resolution < -kMaxPixelsPerMetre)
      ThrowInvalidBmp("the resolution of " + std::to_string(resolution) +
                      " pixels per metre is not plausible");
  if (h.imageSize > fileBytes)
    ThrowInvalidBmp("the image size field (" + std::to_string(h.imageSize) +
                    " bytes) is larger than the file");
  if (IsBitFields(h)) CheckBitFieldMasks(h.masks, bpp);
  if (h.pixelOffset < h.tableStart)
    ThrowInvalidBmp("the pixel data offset " + std::to_string(h.pixelOffset) +
                    " points into the headers");
  if (h.pixelOffset > fileBytes)
    ThrowInvalidBmp("the pixel data offset " + std::to_string(h.pixelOffset) +
                    " lies beyond the end of the file");
}

std::vector<TRGBQuad> ReadDibColorTable(const TDibHeader& h, std::span<const uint8_t> bytes,
                                        size_t fileBytes) {
  const uint64_t full = uint64_t{1} << h.bitsPerPixel;
  const size_t entry = h.core ? 3 : 4;
  const uint64_t declared = h.tableEntries;
  if (declared > full && h.tableStart + declared * entry > fileBytes)
    ThrowInvalidBmp("the colour table of " + std::to_string(declared) +
                    " entries is larger than the file");
  const uint64_t room = (h.pixelOffset - h.tableStart) / entry;
  std::vector<TRGBQuad> palette(std::min({declared, full, room}));
  const uint8_t* p = bytes.data() + h.tableStart;
  for (TRGBQuad& quad : palette) {
    quad = {p[0], p[1], p[2], 0};
    p += entry;
  }
  return palette;
}

void DecodeDib(const TDibHeader& h, std::span<const uint8_t> bytes, TBitmap& target,
               size_t* consumed, TMemoryStream* owner) {
  const int bpp = h.bitsPerPixel;

  TPixelFormat format;
  std::optional<TBitFieldConverter> converter;
  switch (bpp) {
  case 1:
    format = TPixelFormat::pf1bit;
    break;
  case 2:
  case 4:
    format = TPixelFormat::pf4bit;
    break;
  case 8:
    format = TPixelFormat::pf8bit;
    break;
  case 24:
    format = TPixelFormat::pf24bit;
    break;
  default: // 16 and 32
    format = bpp == 16 ? TPixelFormat::pf15bit : TPixelFormat::pf32bit;
    if (IsBitFields(h)) {
      format = NativeBitFieldFormat(h.masks, bpp);
      if (format == TPixelFormat::pfDevice) {
        converter.emplace(h.masks, bpp);
        format = converter->TargetFormat();
      }
    }
  }
  limits::CheckBitmapLimits(h.width, h.rows, ::BitsPerPixel(format), kInvalidBmp);
  const std::vector<TRGBQuad> palette =
      bpp <= 8 ? ReadDibColorTable(h, bytes, bytes.size()) : std::vector<TRGBQuad>{};

  const std::span<const uint8_t> data = bytes.subspan(h.pixelOffset);
  const int64_t sourceStride = limits::RowStride(h.width, bpp);
  const int width = static_cast<int>(h.width);
  const int rows = static_cast<int>(h.rows);
  if (IsRle(h))
    DecodeBmpRle(data, bpp, width, rows, nullptr);
  else if (static_cast<uint64_t>(sourceStride * h.rows) > data.size())
    ThrowInvalidBmp("the file is truncated: the pixel data need " +
                    std::to_string(sourceStride * h.rows) + " bytes, " +
                    std::to_string(data.size()) + " are present");

  const bool partialPalette = bpp <= 8 && palette.size() < (size_t{1} << bpp);
  TBitmap result;
  // Plain bottom-up rows are already laid out as the bitmap keeps them: moved to the start of
  // their buffer, they become the bitmap's pixels without a second image-sized allocation.
  const bool takeRows = owner && owner->Bytes().data() == bytes.data() && !IsRle(h) && !converter &&
                        bpp != 2 && !h.topDown && sourceStride * rows > 0;
  if (takeRows) {
    uint8_t* memory = owner->Release();
    std::memmove(memory, memory + h.pixelOffset, static_cast<size_t>(sourceStride * rows));
    result.AllocateFrom(width, rows, format, memory);
  } else {
    // An RLE stream may skip most of the image: zeroed memory leaves those pages untouched.
    result.Allocate(width, rows, format, IsRle(h));
  }
  if (bpp <= 8) result.SetPalette(palette);
  size_t used;
  if (IsRle(h)) {
    // Skipped pixels are index 0, and the stream never writes row padding.
    TRleHighestIndex highest;
    used = DecodeBmpRle(data, bpp, width, rows, &result, &highest);
    if (partialPalette && highest.index >= palette.size())
      ThrowPixelPastPalette(highest.x, highest.y, highest.index, palette.size());
  } else {
    used = static_cast<size_t>(sourceStride * h.rows);
    auto sourceRow = [&](int y) { // y counted from the top
      return data.data() + (h.topDown ? y : rows - 1 - y) * sourceStride;
    };
    if (converter) {
      bool alpha = false;
      for (int y = 0; y < rows; ++y)
        alpha |= converter->ConvertRow(sourceRow(y), result.ScanLine(y), width);
      result.SetHasAlpha(alpha);
    } else if (bpp == 2) {
      for (int y = 0; y < rows; ++y)
        WidenTwoBitRow(sourceRow(y), result.ScanLine(y), width);
    } else if (used == 0 || takeRows) {
      // nothing to copy: a width or height of 0, or the rows are in place
    } else if (!h.topDown) {
      std::memcpy(result.Bits().data(), data.data(), used);
    } else {
      for (int y = 0; y < rows; ++y)
        std::memcpy(result.ScanLine(y), sourceRow(y), static_cast<size_t>(sourceStride));
    }
    if (format == TPixelFormat::pf32bit && !converter && h.masks.alpha != 0 && IsBitFields(h))
      result.SetHasAlpha(AnyAlpha(result));
    result.ClearRowPadding();
    if (partialPalette) CheckIndices(result, palette.size());
  }
  target = std::move(result);
  if (consumed) *consumed = h.pixelOffset + used;
}

void ReadDib(std::span<const uint8_t> dib, TBitmap& target) {
  const TDibHeader h = ReadDibLayout(dib);
  CheckDibHeader(h, dib.size());
  DecodeDib(h, dib, target);
}

void ReadDib(std::span<const uint8_t> info, std::span<const uint8_t> bits, TBitmap& target) {
  std::vector<uint8_t> joined(info.begin(), info.end());
  joined.insert(joined.end(), bits.begin(), bits.end());
  ByteReader<EInvalidGraphic> in(joined, std::string(kInvalidBmp) + ": the header is truncated");
  TDibHeader h = ReadDibHeader(in);
  h.pixelOffset = info.size();
  CheckDibHeader(h, joined.size());
  DecodeDib(h, joined, target);
}
