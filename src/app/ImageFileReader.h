// TImageFileReader: reads a BMP, DIB or BLZ file into the window's bitmap, with the same
// result as TUniBitmap::LoadFromFile, in steps that keep big buffers few and reused: a
// 24-megapixel picture is some 70 MB in every one of them, and fresh memory is slow to touch.
#pragma once

#include "io/Streams.h"

#include <string>

class TPhaseTimer;
class TUniBitmap;

class TImageFileReader {
public:
  // Throws as LoadFromFile does; `bitmap` is left as it was then.
  void Load(TUniBitmap& bitmap, const std::string& fileName, TPhaseTimer& timer);

private:
  TMemoryStream contents_; // the file
  int64_t reserved_ = 0;   // what contents_ was given room for
};
