// The errors the clipboard-file reader raises: EDIBClpException with the text of one of these
// kinds.
#pragma once

#include "io/Exceptions.h"

enum class TClpError {
  NotClipboardFile, // no file identifier, or a directory beyond the file
  NoDib,            // no CF_DIB entry
  BeyondEnd,        // the CF_DIB entry's data lies past the end of the file
  BadInfoHeader,    // the packed bitmap's header or tables do not fit
};

constexpr const char* ClpErrorText(TClpError kind) {
  switch (kind) {
  case TClpError::NotClipboardFile:
    return "There was not a clipboard file-format source";
  case TClpError::NoDib:
    return "The source doesn't contain DIB image";
  case TClpError::BeyondEnd:
    return "The DIB image of the clipboard file lies beyond the end of the file";
  case TClpError::BadInfoHeader:
    break;
  }
  return "The DIB image of the clipboard file has no valid BITMAPINFOHEADER";
}

constexpr TFailureKind FailureKindOf(TClpError kind) {
  return kind == TClpError::NotClipboardFile ? TFailureKind::NotThisFormat : TFailureKind::Damaged;
}

class EDIBClpException : public Exception, public TFailureKindOf {
public:
  explicit EDIBClpException(TClpError kind)
      : Exception(ClpErrorText(kind)), TFailureKindOf(FailureKindOf(kind)), kind_(kind) {}
  TClpError Kind() const noexcept { return kind_; }

private:
  TClpError kind_;
};

[[noreturn]] inline void RaiseClpError(TClpError kind) {
  throw EDIBClpException(kind);
}
