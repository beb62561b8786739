#include "GimpExport.h"

#include "GimpPixels.h"

#include "blz/UniBmp.h"
#include "codec/LZRW1KH.h"
#include "io/SafeFile.h"

#include <libgimp/gimp.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace {

TDrawablePixels DrawablePixels(gint32 drawable) {
  switch (gimp_drawable_type(drawable)) {
  case GIMP_RGB_IMAGE:
    return TDrawablePixels::Rgb;
  case GIMP_GRAY_IMAGE:
    return TDrawablePixels::Grey;
  case GIMP_GRAYA_IMAGE:
    return TDrawablePixels::GreyAlpha;
  case GIMP_INDEXED_IMAGE:
    return TDrawablePixels::Indexed;
  case GIMP_INDEXEDA_IMAGE:
    return TDrawablePixels::IndexedAlpha;
  case GIMP_RGBA_IMAGE:
    break;
  }
  return TDrawablePixels::Rgba;
}

std::vector<uint8_t> Colormap(gint32 image) {
  gint colours = 0;
  guchar* map = gimp_image_get_colormap(image, &colours);
  std::vector<uint8_t> result(map, map + 3 * std::max(colours, 0));
  g_free(map);
  return result;
}

} // namespace

void ExportBlzFile(gint32 image, gint32 drawable, const char* fileName, bool streamLayout) {
  const TDrawablePixels kind = DrawablePixels(drawable);
  const int width = gimp_drawable_width(drawable), height = gimp_drawable_height(drawable);
  const bool indexed = kind == TDrawablePixels::Indexed || kind == TDrawablePixels::IndexedAlpha;
  const std::vector<uint8_t> colormap = indexed ? Colormap(image) : std::vector<uint8_t>{};
  TUniBitmap bitmap;
  PrepareBitmap(bitmap, width, height, kind, colormap);

  GimpDrawable* source = gimp_drawable_get(drawable);
  gimp_tile_cache_ntiles(2 * (width / gimp_tile_width() + 1));
  GimpPixelRgn region;
  gimp_pixel_rgn_init(&region, source, 0, 0, width, height, FALSE, FALSE);
  if (static_cast<int>(region.bpp) != BytesPerPixel(kind)) {
    gimp_drawable_detach(source);
    throw std::runtime_error("The drawable's tiles are not of 8 bits a channel");
  }
  const int strip = static_cast<int>(gimp_tile_height());
  std::vector<uint8_t> rows(static_cast<size_t>(width) * BytesPerPixel(kind) * strip);
  for (int top = 0; top < height; top += strip) {
    const int count = std::min(strip, height - top);
    gimp_pixel_rgn_get_rect(&region, rows.data(), 0, top, width, count);
    StoreDrawableRows(bitmap, kind, top, count, rows.data(), colormap);
  }
  gimp_drawable_detach(source);
  bitmap.ClearRowPadding();

  LZRW1KHStartup();
  SaveFileSafely(fileName, [&](TStream& out) {
    if (streamLayout)
      bitmap.SaveToBLZStream(out);
    else
      bitmap.SaveToPackedBmpStream(out);
  });
}
