// The BMP reader: every published variant, from memory.
//
//   file header (14 bytes, little-endian like everything else)
//   0   2  "BM"
//   2   4  file size: only checked not to exceed the bytes present
//   6   4  reserved
//   10  4  offset of the pixel data
//   info header, told apart by its size field at offset 14:
//   12             OS/2 1.x core header: 16-bit width and height, planes, bits per pixel;
//                  colour table of 3-byte entries (B,G,R), as many as fit before the pixels
//   40, 52, 56,    Windows: 32-bit width, height (negative: rows stored top-down), planes,
//   108, 124       bits per pixel, compression, image size, resolutions, colours used,
//                  colours important; from 52 bytes on the red, green and blue masks follow,
//                  from 56 the alpha mask (then colour space, gamma, profile: not used)
//   16 .. 64       OS/2 2.x: the Windows fields as far as the header reaches, missing ones 0;
//                  there compression 3 means Huffman 1D and 4 means RLE24 (both refused)
//   masks          after a 40-byte header with compression 3 (bit fields) the three colour
//                  masks, with compression 6 (alpha bit fields) four masks
//   colour table   1, 2, 4, 8 bits: 4-byte entries B,G,R,0, "colours used" of them or 2^bpp
//                  when that is 0; entries that do not fit before the pixel data are dropped
//   pixel rows     bottom-up unless the height is negative, each padded to 4 bytes;
//                  compression 1 (RLE8) and 2 (RLE4) in BmpRle.h
//
// The bitmap keeps the file's pixel format: 1, 4 and 8 bits with the table as read, 16 bits as
// 5-5-5 or 5-6-5, 24 bits, 32 bits. 2-bit pixels widen to 4 bits; any other masks convert to
// 24 bits, or to 32 bits with alpha when there is an alpha mask. Uncompressed bottom-up data
// is copied in one block.
#include "bmp/Bitmap.h"
#include "bmp/BmpBitFields.h"
#include "bmp/BmpErrors.h"
#include "bmp/BmpHeaders.h"
#include "bmp/BmpRle.h"
#include "io/ByteReader.h"
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

struct TBmpHeader {
  uint32_t fileSize = 0;
  uint32_t pixelOffset = 0;
  uint32_t headerSize = 0;
  bool core = false; // OS/2 1.x: 3-byte colour table entries
  bool os2 = false;  // OS/2 2.x: its own meaning of compressions 3 and 4
  int64_t width = 0;
  int64_t rows = 0;
  bool topDown = false;
  int planes = 1;
  int bitsPerPixel = 0;
  uint32_t compression = kRgb;
  uint32_t imageSize = 0;
  int32_t xResolution = 0;
  int32_t yResolution = 0;
  uint32_t colorsUsed = 0;
  TBmpMasks masks;
  size_t tableStart = 0; // where the colour table begins: after the headers and masks
};

bool IsWindowsHeaderSize(uint32_t size) {
  return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

TBmpHeader ReadHeaders(ByteReader<EInvalidGraphic>& in) {
  TBmpHeader h;
  const size_t start = in.Position();
  if (in.U16LE() != kBmpSignature) ThrowInvalidBmp("the \"BM\" signature is missing");
  in.Seek(start);
  const TBmpFileHeader file = ReadBmpFileHeader(in.Bytes(kBmpFileHeaderSize).data());
  h.fileSize = file.fileSize;
  h.pixelOffset = file.pixelOffset;
  h.headerSize = in.U32LE();
  if (h.headerSize == 12) {
    h.core = true;
    h.width = in.U16LE();
    h.rows = in.U16LE();
    h.planes = in.U16LE();
    h.bitsPerPixel = in.U16LE();
  } else if (IsWindowsHeaderSize(h.headerSize) || (h.headerSize >= 16 && h.headerSize <= 64)) {
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
  return h;
}

bool IsRle(const TBmpHeader& h) {
  return h.compression == kRle8 || h.compression == kRle4;
}
bool IsBitFields(const TBmpHeader& h) {
  return h.compression == kBitFields || h.compression == kAlphaBitFields;
}

// Every check of the header fields, before anything is allocated.
void CheckHeaders(const TBmpHeader& h, size_t fileBytes) {
  if (h.fileSize > fileBytes)
    ThrowInvalidBmp("the file is truncated: its header gives " + std::to_string(h.fileSize) +
                    " bytes, " + std::to_string(fileBytes) + " are present");
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

// `bytes` reach at least to the pixel data; the whole image is `fileBytes` long.
std::vector<TRGBQuad> ReadColorTable(const TBmpHeader& h, std::span<const uint8_t> bytes,
                                     size_t fileBytes) {
  const uint64_t full = uint64_t{1} << h.bitsPerPixel;
  const size_t entry = h.core ? 3 : 4;
  const uint64_t declared = h.core || h.colorsUsed == 0 ? full : h.colorsUsed;
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

void ReadBmp(std::span<const uint8_t> bytes, TBitmap& target, size_t* consumed,
             TMemoryStream* owner) {
  ByteReader<EInvalidGraphic> in(bytes, std::string(kInvalidBmp) + ": the file is truncated");
  const TBmpHeader h = ReadHeaders(in);
  CheckHeaders(h, bytes.size());
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
      bpp <= 8 ? ReadColorTable(h, bytes, bytes.size()) : std::vector<TRGBQuad>{};

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

std::optional<TPlainBmpRows> PlainBmpRows(std::span<const uint8_t> head, uint64_t imageBytes) {
  // The same checks in the same order as ReadBmp, so that a refused header gives its error.
  ByteReader<EInvalidGraphic> in(head, std::string(kInvalidBmp) + ": the file is truncated");
  const TBmpHeader h = ReadHeaders(in);
  CheckHeaders(h, static_cast<size_t>(imageBytes));
  const int bpp = h.bitsPerPixel;
  // 32-bit B,G,R(,A) under their masks, as the writer's alpha header has them, are kept too.
  const bool maskedRows =
      IsBitFields(h) && bpp == 32 && NativeBitFieldFormat(h.masks, bpp) == TPixelFormat::pf32bit;
  if ((h.compression != kRgb && !maskedRows) || h.topDown || bpp == 2 ||
      h.pixelOffset > head.size())
    return std::nullopt;
  const TPixelFormat format = bpp == 1    ? TPixelFormat::pf1bit
                              : bpp == 4  ? TPixelFormat::pf4bit
                              : bpp == 8  ? TPixelFormat::pf8bit
                              : bpp == 16 ? TPixelFormat::pf15bit
                              : bpp == 24 ? TPixelFormat::pf24bit
                                          : TPixelFormat::pf32bit;
  limits::CheckBitmapLimits(h.width, h.rows, bpp, kInvalidBmp);
  std::vector<TRGBQuad> palette;
  if (bpp <= 8) {
    palette = ReadColorTable(h, head, static_cast<size_t>(imageBytes));
    if (palette.size() < (size_t{1} << bpp)) return std::nullopt; // indices need checking
  }
  const int64_t stride = limits::RowStride(h.width, bpp);
  if (static_cast<uint64_t>(stride * h.rows) > imageBytes - h.pixelOffset)
    ThrowInvalidBmp("the file is truncated: the pixel data need " +
                    std::to_string(stride * h.rows) + " bytes, " +
                    std::to_string(imageBytes - h.pixelOffset) + " are present");
  TPlainBmpRows rows;
  rows.width = static_cast<int>(h.width);
  rows.height = static_cast<int>(h.rows);
  rows.bitsPerPixel = bpp;
  rows.format = format;
  rows.pixelOffset = h.pixelOffset;
  rows.stride = stride;
  rows.alpha = maskedRows && h.masks.alpha != 0;
  rows.writerHead = BmpHeadBytes(rows.width, rows.height, format, palette, rows.alpha);
  rows.palette = std::move(palette);
  return rows;
}

std::optional<TPlainBmpRows> AcceptedPlainBmpRows(std::span<const uint8_t> head,
                                                  uint64_t imageBytes) {
  try {
    return PlainBmpRows(head, imageBytes);
  } catch (const EInvalidGraphic&) {
    return std::nullopt;
  }
}

void TPlainBmpRows::ClearPadding(uint8_t* bytes, uint64_t offset, size_t count) const {
  const int64_t usedBits = int64_t{width} * bitsPerPixel;
  const uint64_t fullBytes = static_cast<uint64_t>(usedBits / 8);
  const int partialBits = static_cast<int>(usedBits % 8);
  const uint64_t rowBytes = static_cast<uint64_t>(stride);
  if (rowBytes == 0 || (fullBytes == rowBytes && partialBits == 0)) return;
  const uint64_t end = offset + count;
  for (uint64_t row = offset / rowBytes; row * rowBytes < end; ++row) {
    uint64_t from = row * rowBytes + fullBytes;
    if (partialBits) {
      if (from >= offset && from < end) bytes[from - offset] &= uint8_t(0xFF00 >> partialBits);
      ++from;
    }
    const uint64_t a = std::max(from, offset), b = std::min((row + 1) * rowBytes, end);
    if (a < b) std::memset(bytes + (a - offset), 0, static_cast<size_t>(b - a));
  }
}
