// The errors the PCX reader raises: EPCXException with the text of one of these kinds.
#pragma once

#include "io/Exceptions.h"

enum class TPCXError {
  NotPcx,            // no PCX header: too short, wrong manufacturer or encoding
  UnsupportedDepth,  // one plane of a depth other than 1, 2, 4 or 8
  UnsupportedPlanes, // another combination of planes and depth
  TooLarge,          // rows too long, or a picture beyond the bitmap limits
  BadSize,           // a width or height of 0 or less
};

constexpr const char* PCXErrorText(TPCXError kind) {
  switch (kind) {
  case TPCXError::NotPcx:
    return "This is not a valid PCX image file.";
  case TPCXError::UnsupportedDepth:
    return "This is not a 16, 256 or 24bit color PCX image file.";
  case TPCXError::UnsupportedPlanes:
    return "PCX file is in wrong format - It must be an EGA, VGA, MCGA or 24bit image.";
  case TPCXError::TooLarge:
    return "This PCX image is too large to read.";
  case TPCXError::BadSize:
    break;
  }
  return "This PCX image file has an invalid header: its width or height is 0 or negative.";
}

constexpr TFailureKind FailureKindOf(TPCXError kind) {
  return kind == TPCXError::NotPcx     ? TFailureKind::NotThisFormat
         : kind == TPCXError::TooLarge ? TFailureKind::TooLarge
                                       : TFailureKind::Damaged;
}

class EPCXException : public Exception, public TFailureKindOf {
public:
  explicit EPCXException(TPCXError kind)
      : Exception(PCXErrorText(kind)), TFailureKindOf(FailureKindOf(kind)), kind_(kind) {}
  TPCXError Kind() const noexcept { return kind_; }

private:
  TPCXError kind_;
};

[[noreturn]] inline void RaisePCXError(TPCXError kind) {
  throw EPCXException(kind);
}
