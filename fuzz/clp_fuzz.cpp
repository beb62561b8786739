// The clipboard-file reader on arbitrary bytes: it must fail with an exception or hand a BMP
// image to the BMP reader, never crash or read outside its input.
#include "graphics/Exceptions.h"
#include "graphics/Streams.h"
#include "import/SClpDib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TReadOnlyMemoryStream stream({data, size});
  TSClpDIBitmap bitmap;
  try {
    bitmap.LoadFromStream(stream);
  } catch (const Exception&) {
  }
  return 0;
}
