// Memory set-up for a program that handles pictures of tens of megapixels.
#pragma once

#include <cstddef>

// Keeps freed image-sized buffers in the process for the next picture, and backs the heap
// with 2 MiB pages where the kernel offers them on request. Call once, first thing in main.
void PrepareHeapForImages(size_t reserveBytes);
