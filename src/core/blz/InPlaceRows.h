// Whether a BLZ file's records can be expanded straight into a picture's rows: the restored
// image is one whose rows the BMP reader keeps as they are and which ends with them, as the
// writer's images are. The bitmap's in-place load and the Python module's direct read both
// ask this before laying pieces into rows.
#pragma once

#include "bmp/Bitmap.h"

#include <cstdint>
#include <optional>
#include <span>

namespace blz {

// The rows of the BMP image whose first bytes are `prefix` and then the first record's block;
// nullopt when the stored size is 0 or less, that block is damaged or short, or the image is
// not one whose rows the reader keeps as they are and which ends with them.
std::optional<TPlainBmpRows> RowsToLoadInPlace(std::span<const uint8_t> records,
                                               std::span<const uint8_t> prefix, int64_t storedSize);

} // namespace blz
