// The GIF decoder on arbitrary bytes: it must fail with an exception or produce an 8-bit
// bitmap of the size it declares, never crash, hang or read outside its input.
#include "graphics/Exceptions.h"
#include "graphics/Streams.h"
#include "import/SGIFImg.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TReadOnlyMemoryStream stream({data, size});
  TSGIFBitmap bitmap;
  try {
    bitmap.LoadFromStream(stream);
  } catch (const Exception&) {
    return 0;
  }
  if (bitmap.BitsPerPixel() != 8 || bitmap.Palette().size() != 256) std::abort();
  return 0;
}
