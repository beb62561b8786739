// DecompressBlock on arbitrary blocks: it must stay inside both buffers and stop where the
// plain byte-by-byte decoder stops. The first input byte picks the output capacity, so the
// limits of small buffers are exercised too.
#include "bitmap/LZRW1KH.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The plain decoder, one item at a time, with the same stop-on-damage rules.
size_t PlainDecompress(const uint8_t* source, uint8_t* dest, size_t n, size_t capacity) {
  if (n == 0) return 0;
  if (source[0] == lzrw1kh::kStoredMarker) {
    size_t count = n - 1 < capacity ? n - 1 : capacity;
    for (size_t i = 0; i < count; ++i)
      dest[i] = source[1 + i];
    return count;
  }
  size_t x = 3, y = 0;
  unsigned command = n > 3 ? unsigned{source[1]} << 8 | source[2] : 0;
  for (unsigned bits = 16; x < n; command = (command << 1) & 0xFFFF, --bits) {
    if (bits == 0) {
      if (x + 2 > n) break;
      command = unsigned{source[x]} << 8 | source[x + 1];
      bits = 16;
      if ((x += 2) >= n) break;
    }
    if (!(command & 0x8000)) {
      if (y >= capacity) break;
      dest[y++] = source[x++];
      continue;
    }
    if (x + 2 > n) break;
    size_t offset = size_t{source[x]} << 4 | source[x + 1] >> 4;
    size_t count = offset ? (source[x + 1] & 0x0F) + 3u : 0;
    if (offset == 0) {
      if (x + 4 > n) break;
      count = (size_t{source[x + 1]} << 8 | source[x + 2]) + 16;
    }
    if (count > capacity - y || offset > y) break;
    for (size_t k = 0; k < count; ++k)
      dest[y + k] = offset ? dest[y + k - offset] : source[x + 3];
    x += offset ? 2 : 4;
    y += count;
  }
  return y;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > lzrw1kh::kWorkBufferSize + 1) return 0;
  const size_t capacity = data[0] < 128 ? lzrw1kh::kMaxBlockInput : size_t{data[0]} * 8;
  std::vector<uint8_t> block(data + 1, data + size);
  std::vector<uint8_t> out(capacity), expected(capacity);
  size_t count = DecompressBlock(block.data(), out.data(), block.size(), out.size());
  size_t plain = PlainDecompress(block.data(), expected.data(), block.size(), expected.size());
  if (count != plain || std::memcmp(out.data(), expected.data(), count) != 0) std::abort();
  return 0;
}
