// Limits on what any reader accepts, kept in one place. Every reader checks a bitmap's size
// with CheckBitmapLimits before it allocates anything for the pixels.
#pragma once

#include <cstdint>

namespace limits {

inline constexpr int64_t kMaxDimension = 65535;
inline constexpr int64_t kMaxPixels = int64_t{1} << 28;
inline constexpr int64_t kMaxBitmapBytes = int64_t{1} << 30;

// Bytes of one row of `width` pixels at `bitsPerPixel`, padded to 4 bytes as BMP rows are.
// Callers pass a width already checked against kMaxDimension, so this cannot overflow.
constexpr int64_t RowStride(int64_t width, int bitsPerPixel) {
  return ((width * bitsPerPixel + 31) / 32) * 4;
}

// Throws EImageTooLarge naming `what` when a width × height bitmap at `bitsPerPixel` would
// exceed the limits (EInvalidGraphic for a negative size or an impossible depth). Width and
// height of 0 are allowed (an empty bitmap).
void CheckBitmapLimits(int64_t width, int64_t height, int bitsPerPixel, const char* what);

// Lowers the pixel limit below kMaxPixels for the whole process. The fuzz targets do: a few
// bytes may declare a picture of 2^28 zero-filled pixels, which is legitimate and takes
// seconds to fill, and exploring the parsers matters more there.
void LowerPixelLimit(int64_t pixels);

} // namespace limits
