// Writing a GIMP drawable as a BLZ file.
#pragma once

#include <glib.h>

// Writes `drawable` to `fileName` in the packed-bitmap layout, or the stream layout when
// `streamLayout`: RGB as 24 bits, grey and indexed as 8-bit palette pictures, anything with
// alpha as 32 bits with alpha. The old file stays as it was on failure. Throws
// std::exception with the reason.
void ExportBlzFile(gint32 image, gint32 drawable, const char* fileName, bool streamLayout);
