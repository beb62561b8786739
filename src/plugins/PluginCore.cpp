#include "PluginCore.h"

#include "blz/BlzErrors.h"
#include "blz/UniBmp.h"
#include "codec/LZRW1KH.h"
#include "formats/SClpDib.h"
#include "formats/SLBMImg.h"
#include "io/ByteReader.h"
#include "io/Exceptions.h"
#include "io/Streams.h"

#include <cstring>

namespace {

bool TagAt(std::span<const uint8_t> head, size_t offset, const char* tag, size_t length) {
  return head.size() >= offset + length && std::memcmp(head.data() + offset, tag, length) == 0;
}

} // namespace

TPluginFormat SniffFormat(std::span<const uint8_t> head) {
  if (head.size() >= 4 && RecognizeLayout(head) != TBmpLayout::Plain) return TPluginFormat::Blz;
  if (head.size() >= 2 && LoadU16LE(head.data()) == 50000) return TPluginFormat::Clipboard;
  if (TagAt(head, 0, "FORM", 4) && (TagAt(head, 8, "ILBM", 4) || TagAt(head, 8, "PBM", 3)))
    return TPluginFormat::Lbm;
  return TPluginFormat::None;
}

void DecodeImage(std::span<const uint8_t> file, TBitmap& target) {
  TReadOnlyMemoryStream stream(file);
  switch (SniffFormat(file)) {
  case TPluginFormat::Blz: {
    TUniBitmap bitmap;
    bitmap.LoadFromStream(stream);
    // A packed header with a stored size of 0 restores nothing and raises nothing.
    if (bitmap.Empty()) ThrowBlzError(TBlzError::HoldsNoImage);
    target = std::move(bitmap);
    return;
  }
  case TPluginFormat::Clipboard:
    target = DecodeClp(file);
    return;
  case TPluginFormat::Lbm:
    target = DecodeLbm(file);
    return;
  case TPluginFormat::None:
    break;
  }
  throw EGraphicOfKind(TFailureKind::NotThisFormat, "Not a BLZ, clipboard or LBM file");
}

TDecodeFailure ClassifyFailure(const std::exception& failure) {
  switch (FailureKindOf(failure)) {
  case TFailureKind::NotThisFormat:
    return TDecodeFailure::NotThisFormat;
  case TFailureKind::TooLarge:
    return TDecodeFailure::OutOfMemory;
  case TFailureKind::Damaged:
    break;
  }
  return TDecodeFailure::Corrupt;
}

std::vector<uint8_t> EncodeBlz(const TUniBitmap& bitmap, bool streamLayout) {
  // The compressor's table belongs to the calling thread, and a host may call from any.
  LZRW1KHStartup();
  TMemoryStream out;
  if (streamLayout)
    bitmap.SaveToBLZStream(out);
  else
    bitmap.SaveToPackedBmpStream(out);
  std::span<const uint8_t> bytes = out.Bytes();
  return {bytes.begin(), bytes.end()};
}
