// DecompressBlock on arbitrary blocks: must stay inside both buffers.
#include "bitmap/LZRW1KH.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > lzrw1kh::kWorkBufferSize) return 0;
  std::vector<uint8_t> block(data, data + size);
  std::vector<uint8_t> out(lzrw1kh::kMaxBlockInput);
  DecompressBlock(block.data(), out.data(), block.size(), out.size());
  return 0;
}
