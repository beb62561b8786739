// The PCX decoder on arbitrary bytes: it must fail with an exception or produce a 4, 8 or
// 24-bit bitmap, never crash, hang or read outside its input.
#include "graphics/Exceptions.h"
#include "graphics/Streams.h"
#include "import/SPCXImg.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TReadOnlyMemoryStream stream({data, size});
  TSPCXBitmap bitmap;
  try {
    bitmap.LoadFromStream(stream);
  } catch (const Exception&) {
    return 0;
  }
  int bpp = bitmap.BitsPerPixel();
  if (bpp != 4 && bpp != 8 && bpp != 24) std::abort();
  return 0;
}
