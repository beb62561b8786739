// Writing a picture as the command line writes it: BLZ in either layout, BMP, or PNG with the
// command line's own writer (the same bytes).
#pragma once

#include "bmp/Bitmap.h"
#include "python/Picture.h"

#include <cstdint>
#include <string>
#include <vector>

enum class TSaveFormat { BlzPacked, BlzStream, Bmp, Png };

// The file's bytes; throws Exception when the picture cannot be written.
std::vector<uint8_t> EncodeBitmap(TBitmap&& bitmap, TSaveFormat format);
std::vector<uint8_t> EncodePicture(const TPythonPicture& picture, TSaveFormat format);
