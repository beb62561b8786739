#include "GimpLoad.h"

#include "PluginCore.h"
#include "bmp/PixelRows.h"
#include "io/Limits.h"

#include <libgimp/gimp.h>

#include <algorithm>
#include <fstream>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<uint8_t> ReadWholeFile(const char* fileName) {
  std::ifstream in(fileName, std::ios::binary | std::ios::ate);
  if (!in) throw std::runtime_error(std::string("Cannot open file ") + fileName);
  const std::streamoff size = in.tellg();
  if (size < 0) throw std::runtime_error(std::string("Cannot read file ") + fileName);
  // No picture within the readers' limits needs a file this large.
  if (size > 2 * limits::kMaxBitmapBytes)
    throw std::runtime_error(std::string("The file is too large for a picture: ") + fileName);
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  in.seekg(0);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), size))
    throw std::runtime_error(std::string("Cannot read file ") + fileName);
  return bytes;
}

// Deletes the image unless it was handed over, so that a failure half-way leaves no image.
class TImageGuard {
public:
  explicit TImageGuard(gint32 image) : image_(image) {}
  ~TImageGuard() {
    if (image_ != -1) gimp_image_delete(image_);
  }
  TImageGuard(const TImageGuard&) = delete;
  TImageGuard& operator=(const TImageGuard&) = delete;
  gint32 Release() { return std::exchange(image_, -1); }

private:
  gint32 image_;
};

} // namespace

gint32 LoadImageFile(const char* fileName) {
  TBitmap bitmap;
  {
    // The file's bytes go before the pixels are handed over: the plug-in then holds at
    // most the file and the bitmap at once.
    const std::vector<uint8_t> file = ReadWholeFile(fileName);
    DecodeImage(file, bitmap);
  }
  const int width = bitmap.Width(), height = bitmap.Height();
  const bool alpha = KeepsAlpha(bitmap);

  const gint32 image = gimp_image_new(width, height, GIMP_RGB);
  if (image == -1) throw std::bad_alloc();
  TImageGuard guard(image);
  gimp_image_set_filename(image, fileName);
  const gint32 layer =
      gimp_layer_new(image, "Background", width, height, alpha ? GIMP_RGBA_IMAGE : GIMP_RGB_IMAGE,
                     100, gimp_image_get_default_new_layer_mode(image));
  if (layer == -1 || !gimp_image_insert_layer(image, layer, -1, 0))
    throw std::runtime_error("GIMP refused a new layer of this size");

  GimpDrawable* drawable = gimp_drawable_get(layer);
  // Two rows of tiles in the plug-in's cache: each strip goes to GIMP as soon as it is set.
  gimp_tile_cache_ntiles(2 * (width / gimp_tile_width() + 1));
  GimpPixelRgn region;
  gimp_pixel_rgn_init(&region, drawable, 0, 0, width, height, TRUE, FALSE);
  const int channels = alpha ? 4 : 3;
  const int strip = static_cast<int>(gimp_tile_height());
  std::vector<uint8_t> rows(static_cast<size_t>(width) * channels * strip);
  for (int top = 0; top < height; top += strip) {
    const int count = std::min(strip, height - top);
    for (int y = 0; y < count; ++y)
      ConvertRow(bitmap, top + y, alpha ? TRowLayout::Rgba : TRowLayout::Rgb,
                 rows.data() + static_cast<size_t>(y) * width * channels);
    gimp_pixel_rgn_set_rect(&region, rows.data(), 0, top, width, count);
  }
  gimp_drawable_flush(drawable);
  gimp_drawable_detach(drawable);
  return guard.Release();
}
