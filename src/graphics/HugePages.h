// Fresh memory is expensive on the machines we run on: every 4 KiB page costs a fault of
// about 10 µs when first touched, so a 40 MB image buffer pays some 100 ms before a byte is
// copied. Backed by 2 MiB pages (where the system's transparent huge page policy allows it,
// "madvise" or "always"), the same buffer faults a few milliseconds.
#pragma once

#include <cstddef>

// Asks for huge pages in every whole 2 MiB page inside [data, data + bytes). Buffers under
// 4 MiB are left alone; the request is a hint, never an error.
void AdviseHugePages(void* data, size_t bytes);
