#include "io/Limits.h"

#include "io/Exceptions.h"

#include <algorithm>
#include <atomic>
#include <string>

namespace limits {

namespace {
std::atomic<int64_t> pixelLimit{kMaxPixels};
} // namespace

void LowerPixelLimit(int64_t pixels) {
  pixelLimit = std::min(pixels, kMaxPixels);
}

void CheckBitmapLimits(int64_t width, int64_t height, int bitsPerPixel, const char* what) {
  auto text = [&](const std::string& why) {
    return std::string(what) + ": " + why + " (" + std::to_string(width) + " x " +
           std::to_string(height) + ")";
  };
  auto fail = [&](const std::string& why) { throw EImageTooLarge(text(why)); };
  if (width < 0 || height < 0) throw EInvalidGraphic(text("negative image size"));
  if (width > kMaxDimension || height > kMaxDimension) fail("image width or height above 65535");
  const int64_t maxPixels = pixelLimit;
  if (width != 0 && height > maxPixels / width)
    fail(maxPixels == kMaxPixels ? "image has more than 2^28 pixels"
                                 : "image has more than " + std::to_string(maxPixels) + " pixels");
  if (bitsPerPixel <= 0 || bitsPerPixel > 64) throw EInvalidGraphic(text("invalid bit depth"));
  if (height != 0 && RowStride(width, bitsPerPixel) > kMaxBitmapBytes / height)
    fail("image needs more than 1 GiB");
}

} // namespace limits
