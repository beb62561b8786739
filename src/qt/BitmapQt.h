// Conversions between TBitmap and QImage, for drawing and for the clipboard.
#pragma once

#include "bmp/Bitmap.h"

#include <QImage>
#include <QRect>

// A 32-bit image (ARGB32 when the bitmap has alpha, else RGB32) of the bitmap's pixels.
QImage BitmapToQImage(const TBitmap& bitmap);
// The same for the part `area` of the bitmap (clipped to it); a view paints only what shows.
QImage BitmapToQImage(const TBitmap& bitmap, const QRect& area);
// Makes `bitmap` a 24-bit copy of `image` (32-bit with alpha when the image has alpha).
void QImageToBitmap(const QImage& image, TBitmap& bitmap);
