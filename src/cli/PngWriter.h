// PNG out, lossless: a palette, grey, RGB or RGBA image as the picture is.
#pragma once

class TBitmap;
class TStream;

void WritePng(const TBitmap& bitmap, TStream& out);
