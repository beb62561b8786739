#include "app/ImageHeap.h"

#include <cstdint>
#include <cstdlib>
#include <malloc.h>
#include <sys/mman.h>

// Opening, saving and reading back a 24-megapixel picture passes it through several buffers
// of 70 to 100 MB each. Every fresh 4 KiB page costs a fault (about 10 µs on the virtual
// machines we measured), so one such buffer costs some 200 ms before a byte is copied.
// Two remedies, both invisible to the code that allocates:
// - big blocks come from the heap and stay there when freed, so the next buffer reuses pages
//   that are already mapped;
// - the first `reserveBytes` of the heap are marked for transparent huge pages (honoured when
//   the system's policy is "madvise" or "always"), so a fresh buffer faults in 2 MiB at a time.
void PrepareHeapForImages(size_t reserveBytes) {
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  if (reserveBytes == 0 || reserveBytes >= (size_t{1} << 30)) return;
  // A block this size now comes from the top of the heap, untouched; freed, it stays there
  // as free space that later blocks are cut from.
  void* block = std::malloc(reserveBytes);
  if (!block) return;
  constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
  uintptr_t begin = (reinterpret_cast<uintptr_t>(block) + kHugePage - 1) & ~(kHugePage - 1);
  uintptr_t end = (reinterpret_cast<uintptr_t>(block) + reserveBytes) & ~(kHugePage - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
  std::free(block);
}
