// Telling a file's format by its content and decoding it. The format core's own decoders are
// tried in the loader's probe order (the bitmap with both BLZ layouts, GIF, PCX, LBM,
// clipboard); a file none of them claims goes to the input module, which reads icons,
// metafiles, JPEG and what else the loader reads.
#pragma once

#include "bmp/Bitmap.h"
#include "python/Picture.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct TDecodedBitmap {
  TBitmap bitmap;
  std::string format;             // the format table's name of the row that read it
  std::vector<std::string> notes; // what a picture Qt's readers read lost on the way
};

// `bytes` are the file's; `fileName` names the same bytes on disk, or is empty. `format` is
// a format table name or alias, or empty to tell by content.
TDecodedBitmap DecodeFile(std::span<const uint8_t> bytes, const std::string& fileName,
                          const std::string& format);
// The same, in the picture's layout.
TPythonPicture DecodePicture(std::span<const uint8_t> bytes, const std::string& fileName,
                             const std::string& format);
