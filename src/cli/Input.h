// Reading an input file exactly as the window reads a file it opens.
#pragma once

#include <string>

class TUniBitmap;

// Loads `fileName` into `target`. With an empty `format` the window's rule applies: BMP, DIB
// and BLZ names are read directly, anything else through the image loader. A format name
// (bmp, blz, gif, pcx, lbm, clp, ico, wmf, emf, jpeg) reads with that one class alone.
void ReadInput(const std::string& fileName, const std::string& format, TUniBitmap& target);

// True when `format` is one of the names ReadInput accepts (or empty).
bool IsKnownFormat(const std::string& format);
