// TUniBitmap::LoadFromStream on arbitrary bytes: layout recognition, both BLZ layouts with
// their block records, and the BMP reader behind them.
#include "bitmap/UniBmp.h"
#include "graphics/Exceptions.h"
#include "graphics/Streams.h"

#include <cstdint>
#include <span>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  TReadOnlyMemoryStream stream(std::span<const uint8_t>(bytes.data(), bytes.size()));
  TUniBitmap bitmap;
  try {
    bitmap.LoadFromStream(stream);
  } catch (const Exception&) {
  }
  return 0;
}
