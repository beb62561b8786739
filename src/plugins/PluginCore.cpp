#include "PluginCore.h"

#include "blz/UniBmp.h"
#include "codec/LZRW1KH.h"
#include "formats/FormatTable.h"
#include "io/Exceptions.h"
#include "io/Streams.h"

void DecodeImage(std::span<const uint8_t> file, TBitmap& target) {
  const TInputFormat* format = FormatForHost(file, THost(kEveryPluginHost));
  if (!format || !format->decode)
    throw EGraphicOfKind(TFailureKind::NotThisFormat, "Not a BLZ, clipboard or LBM file");
  TReadOnlyMemoryStream stream(file);
  target = DecodeToConvert(*format, stream);
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
