// Drawing a graphic onto a bitmap's pixels: the canvas operations the bitmap classes use.
#pragma once

#include "bmp/Bitmap.h"

// Draws `graphic` stretched into `rect` of `target`, over the pixels already there. The
// target comes back 24-bit (32-bit when it carried alpha).
void StretchDraw(TBitmap& target, const TRect& rect, const TGraphic& graphic);

// A new white 24-bit width × height bitmap with `graphic` drawn stretched into it; at the
// graphic's own size that is its RenderOnWhite.
TBitmap RenderGraphic(const TGraphic& graphic, int width, int height);

// RenderOnWhite for graphics that paint with a painter: drawn into a white bitmap.
TBitmap PaintOnWhite(const TGraphic& graphic);
