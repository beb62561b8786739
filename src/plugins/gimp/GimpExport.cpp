#include "GimpExport.h"

#include "GimpPixels.h"

#include "blz/UniBmp.h"
#include "codec/LZRW1KH.h"
#include "io/SafeFile.h"

#include <libgimp/gimp.h>

#include <algorithm>
#include <vector>

namespace {

TDrawablePixels DrawablePixels(gint32 drawable) {
  switch (gimp_drawable_type(drawable)) {
  case GIMP_RGB_IMAGE:
    return TDrawablePixels::Rgb;
  case GIMP_GRAY_IMAGE:
    return TDrawablePixels::Grey;
  case GIMP_INDEXED_IMAGE:
    return TDrawablePixels::Indexed;
  default:
    return TDrawablePixels::Rgba;
  }
}

const Babl* BablFormat(gint32 drawable, TDrawablePixels kind) {
  switch (kind) {
  case TDrawablePixels::Rgb:
    return babl_format("R'G'B' u8");
  case TDrawablePixels::Rgba:
    return babl_format("R'G'B'A u8");
  case TDrawablePixels::Grey:
    return babl_format("Y' u8");
  case TDrawablePixels::Indexed:
    break;
  }
  // The drawable's own palette format reads back the colormap indices.
  return gimp_drawable_get_format(drawable);
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
  TUniBitmap bitmap;
  PrepareBitmap(bitmap, width, height, kind,
                kind == TDrawablePixels::Indexed ? Colormap(image) : std::vector<uint8_t>{});

  GeglBuffer* buffer = gimp_drawable_get_buffer(drawable);
  const Babl* format = BablFormat(drawable, kind);
  const int strip = static_cast<int>(gimp_tile_height());
  std::vector<uint8_t> rows(static_cast<size_t>(width) * BytesPerPixel(kind) * strip);
  for (int top = 0; top < height; top += strip) {
    const int count = std::min(strip, height - top);
    gegl_buffer_get(buffer, GEGL_RECTANGLE(0, top, width, count), 1.0, format, rows.data(),
                    GEGL_AUTO_ROWSTRIDE, GEGL_ABYSS_NONE);
    StoreDrawableRows(bitmap, kind, top, count, rows.data());
  }
  g_object_unref(buffer);
  bitmap.ClearRowPadding();

  LZRW1KHStartup();
  SaveFileSafely(fileName, [&](TStream& out) {
    if (streamLayout)
      bitmap.SaveToBLZStream(out);
    else
      bitmap.SaveToPackedBmpStream(out);
  });
}
