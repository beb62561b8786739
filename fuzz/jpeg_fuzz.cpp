// TJPEGImage on arbitrary bytes: libjpeg's errors become exceptions, sizes are checked first.
#include "graphics/Exceptions.h"
#include "graphics/JPEGImage.h"
#include "graphics/Streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TReadOnlyMemoryStream stream({data, size});
  TJPEGImage jpeg;
  try {
    jpeg.LoadFromStream(stream);
  } catch (const Exception&) {
  }
  return 0;
}
