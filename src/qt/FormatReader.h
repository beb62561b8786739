// Reading a file as the command line asks: with one named class alone, or exactly as the
// main window reads a file it opens.
#pragma once

#include "blz/UniBmp.h"
#include "formats/WindowRule.h"
#include "qt/SLoadImg.h"

#include <string>

// Reads `fileName` with the class of `format` (bmp, blz, gif, pcx, lbm, clp, ico, wmf, emf,
// jpeg) alone, without probing, so that class's own error is raised; then draws the result
// into `target` as the loader does. Raises Exception for an unknown or unavailable format.
void LoadByFormat(const std::string& format, const std::string& fileName, TUniBitmap& target);

// The main window's rule: a name whose upper-cased extension (dot included) occurs in
// "*.BMP;*.DIB;*.BLZ" is read by `target` itself; any other through `loader`, whose bitmap
// is then drawn into `target`.
void LoadAsWindowDoes(const std::string& fileName, TUniBitmap& target, TImageLoader& loader);
