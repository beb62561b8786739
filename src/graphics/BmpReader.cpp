// The BMP reader (uncompressed variants; see the tests for what is covered).
#include "graphics/Bitmap.h"
#include "graphics/ByteReader.h"
#include "graphics/Exceptions.h"
#include "graphics/Limits.h"

#include <cstring>

void ReadBmp(std::span<const uint8_t> bytes, TBitmap& target, size_t* consumed) {
  ByteReader<EInvalidGraphic> in(bytes, "Bitmap image is not valid: the file is truncated");
  if (in.U16LE() != 0x4D42) throw EInvalidGraphic("Bitmap image is not valid");
  in.Skip(8);
  uint32_t pixelOffset = in.U32LE();
  uint32_t headerSize = in.U32LE();
  if (headerSize != 40) throw EInvalidGraphic("Bitmap image is not valid: unsupported header");
  int32_t width = in.I32LE();
  int32_t height = in.I32LE();
  in.U16LE();
  int bpp = in.U16LE();
  uint32_t compression = in.U32LE();
  in.Skip(12);
  uint32_t colorsUsed = in.U32LE();
  in.Skip(4);
  TPixelFormat format = bpp == 1    ? TPixelFormat::pf1bit
                        : bpp == 4  ? TPixelFormat::pf4bit
                        : bpp == 8  ? TPixelFormat::pf8bit
                        : bpp == 16 ? TPixelFormat::pf15bit
                        : bpp == 24 ? TPixelFormat::pf24bit
                        : bpp == 32 ? TPixelFormat::pf32bit
                                    : throw EInvalidGraphic("Bitmap image is not valid: bit depth");
  if (compression == 3 && bpp == 16) {
    uint32_t red = in.U32LE();
    if (red == 0xF800) format = TPixelFormat::pf16bit;
    in.Skip(8);
  } else if (compression != 0) {
    throw EInvalidGraphic("Bitmap image is not valid: unsupported compression");
  }
  bool bottomUp = height > 0;
  int64_t rows = bottomUp ? height : -int64_t{height};
  limits::CheckBitmapLimits(width, rows, bpp, "Bitmap image is not valid");
  std::vector<TRGBQuad> palette;
  if (bpp <= 8) {
    uint32_t count = colorsUsed ? colorsUsed : 1u << bpp;
    if (count > 256) throw EInvalidGraphic("Bitmap image is not valid: colour table");
    for (uint32_t i = 0; i < count; ++i) {
      auto q = in.Bytes(4);
      palette.push_back({q[0], q[1], q[2], 0});
    }
  }
  int64_t stride = limits::RowStride(width, bpp);
  if (pixelOffset > bytes.size() || static_cast<uint64_t>(stride * rows) > bytes.size() - pixelOffset)
    throw EInvalidGraphic("Bitmap image is not valid: the file is truncated");
  TBitmap result;
  result.SetPalette(palette);
  result.Allocate(width, static_cast<int>(rows), format);
  if (bpp <= 8) result.SetPalette(palette);
  const uint8_t* pixels = bytes.data() + pixelOffset;
  if (bottomUp) {
    std::memcpy(result.Bits().data(), pixels, static_cast<size_t>(stride * rows));
  } else {
    for (int64_t y = 0; y < rows; ++y)
      std::memcpy(result.ScanLine(static_cast<int>(y)), pixels + y * stride, static_cast<size_t>(stride));
  }
  result.ClearRowPadding();
  target = std::move(result);
  if (consumed) *consumed = pixelOffset + static_cast<size_t>(stride * rows);
}
