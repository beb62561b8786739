// The BMP reader: every published variant, from memory. After the file header, a BMP file is
// a DIB whose rows lie where the file header says (bmp/DibReader.h reads the rest).
//
//   file header (14 bytes, little-endian like everything else)
//   0   2  "BM"
//   2   4  file size: only checked not to exceed the bytes present
//   6   4  reserved
//   10  4  offset of the pixel data
//   14  ..  the DIB: info header, masks, colour table (entries that do not fit before the
//           pixel data are dropped); pixel rows, RLE8 and RLE4 in BmpRle.h
//
// The bitmap keeps the file's pixel format: 1, 4 and 8 bits with the table as read, 16 bits as
// 5-5-5 or 5-6-5, 24 bits, 32 bits. 2-bit pixels widen to 4 bits; any other masks convert to
// 24 bits, or to 32 bits with alpha when there is an alpha mask. Uncompressed bottom-up data
// is copied in one block.
#include "bmp/Bitmap.h"
#include "bmp/BmpErrors.h"
#include "bmp/BmpHeaders.h"
#include "bmp/DibReader.h"
#include "io/ByteReader.h"
#include "io/Limits.h"
#include "io/Streams.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

// The file header and the DIB's header after it, checked against the `imageBytes` the image
// occupies.
TDibHeader ReadBmpHeaders(std::span<const uint8_t> bytes, size_t imageBytes) {
  ByteReader<EInvalidGraphic> in(bytes, std::string(kInvalidBmp) + ": the file is truncated");
  if (in.U16LE() != kBmpSignature) ThrowNotBmp("the \"BM\" signature is missing");
  in.Seek(0);
  const TBmpFileHeader file = ReadBmpFileHeader(in.Bytes(kBmpFileHeaderSize).data());
  TDibHeader h = ReadDibHeader(in);
  h.fileSize = file.fileSize;
  h.pixelOffset = file.pixelOffset;
  if (h.fileSize > imageBytes)
    ThrowInvalidBmp("the file is truncated: its header gives " + std::to_string(h.fileSize) +
                    " bytes, " + std::to_string(imageBytes) + " are present");
  CheckDibHeader(h, imageBytes);
  return h;
}

} // namespace

void ReadBmp(std::span<const uint8_t> bytes, TBitmap& target, size_t* consumed,
             TMemoryStream* owner) {
  DecodeDib(ReadBmpHeaders(bytes, bytes.size()), bytes, target, consumed, owner);
}

std::optional<TPlainBmpRows> PlainBmpRows(std::span<const uint8_t> head, uint64_t imageBytes) {
  // The same checks in the same order as ReadBmp, so that a refused header gives its error.
  const TDibHeader h = ReadBmpHeaders(head, static_cast<size_t>(imageBytes));
  const int bpp = h.bitsPerPixel;
  // 32-bit B,G,R(,A) under their masks, as the writer's alpha header has them, are kept too.
  const bool maskedRows = !h.os2 && (h.compression == 3 || h.compression == 6) && bpp == 32 &&
                          NativeBitFieldFormat(h.masks, bpp) == TPixelFormat::pf32bit;
  if ((h.compression != 0 && !maskedRows) || h.topDown || bpp == 2 || h.pixelOffset > head.size())
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
    palette = ReadDibColorTable(h, head, static_cast<size_t>(imageBytes));
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
