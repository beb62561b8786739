// TUniBitmap's standard bitmap resources (RT_BITMAP).
#include "blz/UniBmp.h"
#include "bmp/DibReader.h"
#include "io/ByteReader.h"
#include "io/Exceptions.h"
#include "io/Resources.h"

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
  // Larger sizes than the reader knows are left to it, which names them.
  if (headerSize < 40 && !IsDibHeaderSize(headerSize))
    throw EInvalidGraphic("Bitmap resource has an unknown header");
  ReadDib(bytes, target);
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
