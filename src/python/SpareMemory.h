// Memory for pictures and files of many megabytes, kept once freed for the next one. Fresh
// memory costs a page fault per page when first touched and the system clears every page; a
// process that reads picture after picture reuses the memory of those it is done with instead,
// as vantrel-cli's heap does. At most two freed blocks are kept; small ones are never kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace spare {

// Gives a block back for the next TakeMemory, or frees it.
struct TGiveBack {
  size_t bytes = 0;
  void operator()(uint8_t* block) const;
};
using TBlock = std::unique_ptr<uint8_t[], TGiveBack>;

// Frees `block` and keeps nothing of it: for memory the system should have back before more
// is asked for.
void FreeNow(TBlock& block);

// At least `bytes` bytes (1 when 0), not cleared: a kept block that fits, or new memory (on
// 2 MiB pages when large). Throws std::bad_alloc.
TBlock TakeMemory(size_t bytes);

} // namespace spare
