// TUniBitmap's standard bitmap resources (RT_BITMAP).
#include "blz/UniBmp.h"
#include "bmp/BmpHeaders.h"
#include "io/ByteReader.h"
#include "io/Exceptions.h"
#include "io/Resources.h"

#include <algorithm>
#include <vector>

namespace {

// A bitmap resource holds a DIB: an info header, colour table and bits, without the file
// header. One that starts with "BM" is taken as a whole BMP file.
void ReadBitmapResource(TResourceStream& resource, TBitmap& target) {
  std::span<const uint8_t> bytes = resource.Bytes();
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
    ReadBmp(bytes, target);
    return;
  }
  if (bytes.size() < 16) throw EInvalidGraphic("Bitmap resource is too short");
  const uint32_t headerSize = LoadU32LE(bytes.data());
  size_t table = 0;
  if (headerSize == 12) {
    const uint16_t bpp = LoadU16LE(bytes.data() + 10);
    table = bpp <= 8 ? 3 * (size_t{1} << bpp) : 0;
  } else if (headerSize >= kBmpInfoHeaderSize && bytes.size() >= kBmpInfoHeaderSize) {
    const TBmpInfoHeader info = ReadBmpInfoHeader(bytes.data());
    const uint32_t used = info.colorsUsed, bpp = info.bitsPerPixel;
    table = 4 * (used ? std::min<uint32_t>(used, 256) : bpp <= 8 ? 1u << bpp : 0);
    if (info.compression == 3 && headerSize == kBmpInfoHeaderSize) table += 12;
  } else {
    throw EInvalidGraphic("Bitmap resource has an unknown header");
  }
  TBmpFileHeader header;
  header.fileSize = static_cast<uint32_t>(kBmpFileHeaderSize + bytes.size());
  header.pixelOffset = static_cast<uint32_t>(kBmpFileHeaderSize +
                                             std::min<size_t>(headerSize + table, bytes.size()));
  std::vector<uint8_t> file(kBmpFileHeaderSize);
  WriteBmpFileHeader(header, file.data());
  file.insert(file.end(), bytes.begin(), bytes.end());
  ReadBmp(file, target);
}

} // namespace

TBitmap& TUniBitmap::BitmapFromBitmapResName(const HINSTANCE& instance,
                                             const std::string& resName) {
  TResourceStream resource(instance, resName, TResourceType::RT_BITMAP);
  TBitmap loaded;
  ReadBitmapResource(resource, loaded);
  static_cast<TBitmap&>(*this) = std::move(loaded);
  Modified();
  return AsBitmap();
}

TBitmap& TUniBitmap::BitmapFromBitmapResID(const HINSTANCE& instance, int32_t resId) {
  return BitmapFromBitmapResName(instance, ResourceIdName(resId));
}
