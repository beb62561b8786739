// Writing a picture as the command line writes it: BLZ in either layout, BMP, or PNG with the
// command line's own writer (the same bytes).
#pragma once

#include "bmp/Bitmap.h"
#include "io/Streams.h"
#include "python/Picture.h"

enum class TSaveFormat { BlzPacked, BlzStream, Bmp, Png };

// Writes the file's bytes to `out`; throws Exception when the picture cannot be written.
void EncodeBitmap(TBitmap&& bitmap, TSaveFormat format, TMemoryStream& out);
void EncodePicture(const TPythonPicture& picture, TSaveFormat format, TMemoryStream& out);
