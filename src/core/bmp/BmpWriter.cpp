// The BMP writer. It always writes the same bytes for the same bitmap:
//
//   offset size  field
//   0      2     "BM"
//   2      4     file size
//   6      4     reserved, 0
//   10     4     offset of the pixel data
//   14     40    BITMAPINFOHEADER: size 40, width, height (positive: bottom-up), planes 1,
//                bits per pixel, compression (0, or 3 = bit fields for 5-6-5), image size =
//                row stride × height, resolutions 0, colours used 0, colours important 0
//   54     12    red, green, blue masks (5-6-5 only)
//   ..     4·2^bpp  the full colour table for 1, 4 and 8 bits (missing entries black)
//   ..           pixel rows, bottom-up, each padded to 4 bytes
//
// A 32-bit picture with alpha has a 124-byte BITMAPV5HEADER instead: compression 3, the same
// fields otherwise, the masks 00FF0000, 0000FF00, 000000FF and FF000000 inside the header and
// the colour space "sRGB", the pixels at offset 138. A 40-byte header would say that the fourth
// byte is unused.
#include "bmp/Bitmap.h"
#include "bmp/BmpHeaders.h"
#include "io/ByteReader.h"
#include "io/Limits.h"
#include "io/Streams.h"

#include <vector>

std::vector<uint8_t> BmpHeadBytes(const TBitmap& bitmap) {
  return BmpHeadBytes(bitmap.Width(), bitmap.Height(), bitmap.PixelFormat(), bitmap.Palette(),
                      bitmap.HasAlpha());
}

std::vector<uint8_t> BmpHeadBytes(int width, int height, TPixelFormat format,
                                  const std::vector<TRGBQuad>& palette, bool alpha) {
  const int bpp = ::BitsPerPixel(format);
  const bool withAlpha = alpha && format == TPixelFormat::pf32bit;
  const bool bitFields = format == TPixelFormat::pf16bit;
  const uint32_t paletteEntries = bpp <= 8 ? 1u << bpp : 0;
  const uint32_t headersSize = withAlpha ? kBmpFileHeaderSize + kBmpV5HeaderSize : kBmpHeadersSize;
  const uint32_t pixelOffset = headersSize + (bitFields ? 12 : 0) + 4 * paletteEntries;
  const uint64_t imageSize =
      static_cast<uint64_t>(limits::RowStride(width, bpp)) * static_cast<uint64_t>(height);

  std::vector<uint8_t> head(pixelOffset, 0);
  TBmpFileHeader file;
  file.fileSize = static_cast<uint32_t>(pixelOffset + imageSize);
  file.pixelOffset = pixelOffset;
  WriteBmpFileHeader(file, head.data());
  TBmpInfoHeader info;
  info.size = withAlpha ? kBmpV5HeaderSize : kBmpInfoHeaderSize;
  info.width = width;
  info.height = height;
  info.bitsPerPixel = static_cast<uint16_t>(bpp);
  info.compression = bitFields || withAlpha ? kBmpBitFields : 0;
  info.imageSize = static_cast<uint32_t>(imageSize);
  uint8_t* const infoBytes = head.data() + kBmpFileHeaderSize;
  WriteBmpInfoHeader(info, infoBytes);
  if (withAlpha) {
    for (int i = 0; i < 4; ++i)
      StoreU32LE(infoBytes + kBmpV5MasksOffset + 4 * i, kBgraMasks[i]);
    StoreU32LE(infoBytes + kBmpV5ColorSpaceOffset, kLcsSRgb);
  }
  uint8_t* const h = head.data() + headersSize; // the masks or the colour table
  if (bitFields) {
    StoreU32LE(h, 0xF800);
    StoreU32LE(h + 4, 0x07E0);
    StoreU32LE(h + 8, 0x001F);
  }
  for (uint32_t i = 0; i < paletteEntries && i < palette.size(); ++i) {
    uint8_t* q = h + 4 * i;
    q[0] = palette[i].rgbBlue;
    q[1] = palette[i].rgbGreen;
    q[2] = palette[i].rgbRed;
  }
  return head;
}

std::vector<uint8_t> TPlainBmpRows::OpaqueHead() const {
  return BmpHeadBytes(width, height, format, palette, false);
}

void WriteBmp(const TBitmap& bitmap, TStream& stream) {
  const std::vector<uint8_t> head = BmpHeadBytes(bitmap);
  stream.WriteBuffer(head.data(), static_cast<int64_t>(head.size()));
  auto bits = bitmap.Bits();
  stream.WriteBuffer(bits.data(), static_cast<int64_t>(bits.size()));
}
