// Opening a BLZ, clipboard or LBM file as a new GIMP image.
#pragma once

#include <glib.h>

// The new image's id. Throws std::exception with the decoder's message on any failure.
gint32 LoadImageFile(const char* fileName);
