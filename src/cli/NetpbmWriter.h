// The Netpbm formats out: PAM (grey, RGB or RGB with alpha, as the picture is), PPM (RGB)
// and PGM (grey pictures only).
#pragma once

class TBitmap;
class TStream;

void WritePam(const TBitmap& bitmap, TStream& out);
void WritePpm(const TBitmap& bitmap, TStream& out);
// Refuses a picture that has a pixel in colour.
void WritePgm(const TBitmap& bitmap, TStream& out);
