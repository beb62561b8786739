// The BMP reader on arbitrary bytes: it must read them or refuse them with an exception,
// never crash, hang or read outside the input.
#include "graphics/Bitmap.h"
#include "graphics/Exceptions.h"

#include <cstdint>
#include <span>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A private copy, so that a read past the end of the input hits the sanitizer's red zone.
  std::vector<uint8_t> bytes(data, data + size);
  TBitmap bitmap;
  try {
    ReadBmp(std::span<const uint8_t>(bytes.data(), bytes.size()), bitmap);
  } catch (const Exception&) {
  }
  return 0;
}
