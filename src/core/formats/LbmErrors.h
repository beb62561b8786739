// The errors the LBM reader raises: ELBMException with the text of one of these kinds; a
// picture beyond the bitmap limits raises the limits' own error, prefixed with TooLarge's text.
#pragma once

#include "io/Exceptions.h"

enum class TLBMError {
  NotLbm,        // no FORM of type ILBM or PBM, or a body before the bitmap header
  Corrupted,     // a size or offset beyond the file
  TooManyPlanes, // more than 8 planes, other than 24 or 32
  NoSize,        // a width or height of 0
  TooWide,       // rows wider than the line buffer
  LinePalettes,  // PCHG or CTBL: colours changed line by line
  TooLarge,      // beyond the bitmap limits
};

constexpr const char* LBMErrorText(TLBMError kind) {
  switch (kind) {
  case TLBMError::NotLbm:
    return "No DeLux Paint LBM file.";
  case TLBMError::Corrupted:
    return "The file may be corrupted.";
  case TLBMError::TooManyPlanes:
    return "The LBM picture has more than 8 bit planes.";
  case TLBMError::NoSize:
    return "The LBM picture has a width or height of 0.";
  case TLBMError::TooWide:
    return "The LBM picture's rows are wider than 8000 pixels.";
  case TLBMError::LinePalettes:
    return "The LBM picture changes its colours line by line (PCHG or CTBL), which is not "
           "supported.";
  case TLBMError::TooLarge:
    break;
  }
  return "The LBM picture is too large";
}

constexpr TFailureKind FailureKindOf(TLBMError kind) {
  return kind == TLBMError::NotLbm                                   ? TFailureKind::NotThisFormat
         : kind == TLBMError::TooLarge || kind == TLBMError::TooWide ? TFailureKind::TooLarge
                                                                     : TFailureKind::Damaged;
}

class ELBMException : public Exception, public TFailureKindOf {
public:
  explicit ELBMException(TLBMError kind)
      : Exception(LBMErrorText(kind)), TFailureKindOf(FailureKindOf(kind)), kind_(kind) {}
  TLBMError Kind() const noexcept { return kind_; }

private:
  TLBMError kind_;
};

[[noreturn]] inline void RaiseLBMError(TLBMError kind) {
  throw ELBMException(kind);
}
