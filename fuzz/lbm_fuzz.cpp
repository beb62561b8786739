// The LBM decoder on arbitrary bytes: it must fail with an exception or produce a 4- or 8-bit
// bitmap whose colour table covers every pixel (24 bits for HAM and deep pictures), never
// crash, hang or read outside its input.
#include "graphics/Exceptions.h"
#include "graphics/Streams.h"
#include "import/SLBMImg.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TReadOnlyMemoryStream stream({data, size});
  TSLBMImage bitmap;
  try {
    bitmap.LoadFromStream(stream);
  } catch (const Exception&) {
    return 0;
  }
  int bits = bitmap.BitsPerPixel();
  if ((bits != 4 && bits != 8 && bits != 24) || bitmap.Palette().size() > 256 || bitmap.Empty())
    std::abort();
  return 0;
}
