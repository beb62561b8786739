// Memory for pictures of tens of megapixels. Fresh memory is expensive on the machines we
// run on: every 4 KiB page costs a fault of about 10 µs when first touched, so a 70 MB image
// buffer pays some 200 ms before a byte is copied. Backed by 2 MiB pages (where the system's
// transparent huge page policy allows it, "madvise" or "always"), the same buffer faults in a
// few milliseconds; kept in the process once freed, the next picture reuses it.
#pragma once

#include <cstddef>

// Asks for huge pages in every whole 2 MiB page inside [data, data + bytes). Buffers under
// 4 MiB are left alone; the request is a hint, never an error.
void AdviseHugePages(void* data, size_t bytes);

// Keeps freed image-sized buffers in the process for the next picture, and marks the first
// `reserveBytes` of the heap for huge pages. Call once, first thing in main.
void PrepareHeapForImages(size_t reserveBytes);
