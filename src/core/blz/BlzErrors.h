// What can be wrong with a BLZ file. Every BLZ error is an EBlzError (an EInvalidGraphic, so
// callers that only show the text need nothing new) that also tells its kind, so that a host
// can tell a damaged file from one too large to load.
#pragma once

#include "io/Exceptions.h"

#include <cstdint>

enum class TBlzError {
  Truncated,         // a header or record cut off by the end of the file
  RecordTooLong,     // a record longer than the work buffer
  TooLarge,          // the records expand beyond the size limit
  NoStoredSize,      // a packed bitmap with a stored size of 0 or less
  StoredSizeDiffers, // the stored size is not the restored image's
  PackedRoundTrip,   // a picture does not come back the same through the packed-bitmap layout
  StreamRoundTrip,   // ... through the BLZ stream layout
};

class EBlzError : public EInvalidGraphic, public TFailureKindOf {
public:
  EBlzError(TBlzError kind, std::string message)
      : EInvalidGraphic(std::move(message)),
        TFailureKindOf(kind == TBlzError::TooLarge ? TFailureKind::TooLarge
                                                   : TFailureKind::Damaged),
        kind_(kind) {}
  TBlzError Kind() const noexcept { return kind_; }

private:
  TBlzError kind_;
};

// Raises `kind` with its text; StoredSizeDiffers names the stored and the restored size.
[[noreturn]] void ThrowBlzError(TBlzError kind, int64_t stored = 0, int64_t restored = 0);
