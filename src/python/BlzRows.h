// A BLZ file read straight into a picture's layout. When the restored image is one whose rows
// the bitmap reader keeps as they are and which ends with them (as the writer's images do), and
// its pixels are 8 or 24 bits, every piece of the records goes into the picture's rows as soon
// as it is expanded, on whichever thread expanded it: no restored image, no bitmap, and the
// rows turned top-down and into R,G,B on every core at once.
#pragma once

#include "python/Picture.h"

#include <cstdint>
#include <optional>
#include <span>

// The picture of the BLZ file `file` (either layout), or nullopt for any other file or any
// doubt, damage included: the bitmap reader then reads the file and raises its errors.
std::optional<TPythonPicture> PictureFromBlzRows(std::span<const uint8_t> file);
