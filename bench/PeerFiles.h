// Pictures written in other programs' formats, for the readers' and the batch benchmarks.
#pragma once

#include "bmp/Bitmap.h"

#include <string>

// A binary PPM, the input of the netpbm converters that make PCX and LBM files.
void WritePpm(const TBitmap& bitmap, const std::string& path);

// An 8-bit bitmap as a GIF through giflib; false when giflib fails.
bool WriteGif(const TBitmap& bitmap, const std::string& path);
