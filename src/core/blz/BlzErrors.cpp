#include "blz/BlzErrors.h"

#include <string>

void ThrowBlzError(TBlzError kind, int64_t stored, int64_t restored) {
  const std::string invalid = "BLZ image is not valid: ";
  std::string text;
  switch (kind) {
  case TBlzError::Truncated:
    text = invalid + "the file is truncated";
    break;
  case TBlzError::RecordTooLong:
    text = invalid + "a block record is too long";
    break;
  case TBlzError::TooLarge:
    text = invalid + "the image is larger than 1 GiB";
    break;
  case TBlzError::NoStoredSize:
    text = "packed bitmap with a stored size of 0 or less";
    break;
  case TBlzError::StoredSizeDiffers:
    text = "stored size " + std::to_string(stored) + " differs from the restored image of " +
           std::to_string(restored) + " bytes";
    break;
  case TBlzError::PackedRoundTrip:
    text = "round trip through the packed-bitmap layout differs";
    break;
  case TBlzError::StreamRoundTrip:
    text = "round trip through the BLZ stream layout differs";
    break;
  }
  throw EBlzError(kind, std::move(text));
}
