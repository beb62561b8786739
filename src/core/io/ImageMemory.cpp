#include "io/ImageMemory.h"

#include <cstdint>
#include <cstdlib>
#include <malloc.h>
#include <sys/mman.h>

void AdviseHugePages(void* data, size_t bytes) {
  constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
  if (!data || bytes < 2 * kHugePage) return;
  const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kHugePage - 1) & ~(kHugePage - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kHugePage - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

void PrepareHeapForImages(size_t reserveBytes) {
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  if (reserveBytes >= (size_t{1} << 30)) return;
  // A block this size now comes from the top of the heap, untouched; freed, it stays there
  // as free space that later blocks are cut from, with the advice kept.
  if (void* block = std::malloc(reserveBytes)) {
    AdviseHugePages(block, reserveBytes);
    std::free(block);
  }
}
