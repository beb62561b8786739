#include "python/SpareMemory.h"

#include "io/ImageMemory.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <mutex>
#include <new>

namespace spare {

namespace {

// Blocks this large are kept: below, malloc keeps freed memory itself.
constexpr size_t kKeptFrom = size_t{4} << 20;

struct TKept {
  uint8_t* block = nullptr;
  size_t bytes = 0;
};

std::mutex keeping;
std::array<TKept, 2> kept;

} // namespace

void TGiveBack::operator()(uint8_t* block) const {
  if (bytes >= kKeptFrom) {
    std::lock_guard lock(keeping);
    // In an empty place, or in that of the smaller kept block, which is freed instead.
    TKept& place = *std::min_element(
        kept.begin(), kept.end(), [](const TKept& a, const TKept& b) { return a.bytes < b.bytes; });
    std::swap(place.block, block);
    place.bytes = bytes;
  }
  std::free(block);
}

void FreeNow(TBlock& block) {
  std::free(block.release());
}

TBlock TakeMemory(size_t bytes) {
  bytes = std::max<size_t>(bytes, 1);
  if (bytes >= kKeptFrom) {
    std::lock_guard lock(keeping);
    // The smallest kept block that holds `bytes` without wasting more than as much again.
    TKept* best = nullptr;
    for (TKept& candidate : kept)
      if (candidate.block && candidate.bytes >= bytes && candidate.bytes / 2 <= bytes &&
          (!best || candidate.bytes < best->bytes))
        best = &candidate;
    if (best) {
      TBlock block(best->block, TGiveBack{best->bytes});
      *best = {};
      return block;
    }
  }
  auto* memory = static_cast<uint8_t*>(std::malloc(bytes));
  if (!memory) throw std::bad_alloc();
  AdviseHugePages(memory, bytes);
  return TBlock(memory, TGiveBack{bytes});
}

} // namespace spare
