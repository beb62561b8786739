// The results of the GIF reader's steps; every one but grOk raises EGIFException with its text.
#pragma once

#include "io/Exceptions.h"

VANTREL_DECLARE_EXCEPTION(EGIFException, Exception);

enum TGIFResult : int {
  grOk = 0,
  grBadFile = 1,       // no GIF header, no image, or an image of no or too wide a size
  grBadRead = 2,       // a colour table or image descriptor beyond the file
  grUnexpectedEnd = 3, // the image data ends before the image
  grBadLZWCode = 4,    // a code beyond the next free one
  grBadFirstCode = 5,  // the first code after a clear is the free one
  grFileNotFound = 6,  // kept for its text; the reader never returns it
  grBadSymbolSize = 7, // a minimum code size outside 2..8
};

constexpr const char* GIFErrorText(int code) {
  switch (code) {
  case grOk:
    return "Ok";
  case grBadFile:
    return "Bad File";
  case grBadRead:
    return "Bad Read";
  case grUnexpectedEnd:
    return "Unexpected End";
  case grBadLZWCode:
    return "Bad LZW Code";
  case grBadFirstCode:
    return "Bad First Code";
  case grFileNotFound:
    return "File Not Found";
  case grBadSymbolSize:
    return "Bad Symbol Size";
  default:
    return "Unknown";
  }
}

[[noreturn]] inline void RaiseGIFError(int code) {
  throw EGIFException(GIFErrorText(code));
}
