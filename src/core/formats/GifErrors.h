// The errors the GIF reader raises: EGIFException with the text of one of these kinds. Several
// kinds share a text, as the reader has always told them; the kind still tells them apart.
#pragma once

#include "io/Exceptions.h"

enum class TGIFError {
  NotGif,        // shorter than the 13-byte header, or no "GIF" signature
  BadFile,       // no image before the trailer, nothing after the descriptor, a size of 0
  TooWide,       // rows wider than the reader's row buffer
  BadRead,       // a colour table or image descriptor beyond the file
  UnexpectedEnd, // the image data ends before the end code
  BadLZWCode,    // a code beyond the next free one
  BadFirstCode,  // the first code after a clear is the free one
  BadSymbolSize, // a minimum code size outside 2..8
};

constexpr const char* GIFErrorText(TGIFError kind) {
  switch (kind) {
  case TGIFError::NotGif:
  case TGIFError::BadFile:
  case TGIFError::TooWide:
    return "Bad File";
  case TGIFError::BadRead:
    return "Bad Read";
  case TGIFError::UnexpectedEnd:
    return "Unexpected End";
  case TGIFError::BadLZWCode:
    return "Bad LZW Code";
  case TGIFError::BadFirstCode:
    return "Bad First Code";
  case TGIFError::BadSymbolSize:
    break;
  }
  return "Bad Symbol Size";
}

constexpr TFailureKind FailureKindOf(TGIFError kind) {
  return kind == TGIFError::NotGif    ? TFailureKind::NotThisFormat
         : kind == TGIFError::TooWide ? TFailureKind::TooLarge
                                      : TFailureKind::Damaged;
}

class EGIFException : public Exception, public TFailureKindOf {
public:
  explicit EGIFException(TGIFError kind)
      : Exception(GIFErrorText(kind)), TFailureKindOf(FailureKindOf(kind)), kind_(kind) {}
  TGIFError Kind() const noexcept { return kind_; }

private:
  TGIFError kind_;
};

[[noreturn]] inline void RaiseGIFError(TGIFError kind) {
  throw EGIFException(kind);
}
