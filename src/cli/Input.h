// vantrel-cli's reading of an input file, exactly as the window reads a file it opens, and the
// thumbnail. BMP, DIB and BLZ files need only the format core; every other format needs Qt
// (drawing, fonts, JPEG), whose back-end (QtInput.h) lives in the input module that the
// program loads only when such a file comes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/Exceptions.h"

class TUniBitmap;
struct TInputModule;

// The input module cannot be found or is not this program's: no file's fault.
VANTREL_DECLARE_EXCEPTION(EInputModuleMissing, Exception);

// The input module, loaded on first use from beside the file this code is linked into (the
// program, or the Python extension), then from where the package installs it.
const TInputModule& InputModule();

// Loads `fileName` into `target`. With an empty `format` the window's rule applies: BMP, DIB
// and BLZ names are read directly, anything else through the image loader. A format name of
// the format table reads with that one class alone. Alpha is kept, also of pictures the
// loader reads. `notes` gets what the picture lost on the way (see TStockPicture), when given.
void ReadInput(const std::string& fileName, const std::string& format, TUniBitmap& target,
               std::vector<std::string>* notes = nullptr);

// The PNG file of `bitmap` scaled to fit `size` × `size`.
std::vector<uint8_t> ThumbnailPng(const TUniBitmap& bitmap, int size);

// Call on the main thread before reading on several threads.
void PrepareInputForThreads();

// Releases what reading set up; before the program ends.
void FinishInput();
