// Reading an input file exactly as the window reads a file it opens, and the thumbnail.
// BMP, DIB and BLZ files need only the format core; every other format needs Qt (drawing,
// fonts, JPEG), which the command-line program loads only when such a file comes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TUniBitmap;

// Loads `fileName` into `target`. With an empty `format` the window's rule applies: BMP, DIB
// and BLZ names are read directly, anything else through the image loader. A format name
// (bmp, blz, gif, pcx, lbm, clp, ico, wmf, emf, jpeg) reads with that one class alone.
// Alpha is kept, also of pictures the loader reads. `notes` gets what the picture lost on the
// way (see TStockPicture), when given.
void ReadInput(const std::string& fileName, const std::string& format, TUniBitmap& target,
               std::vector<std::string>* notes = nullptr);

// The PNG file of `bitmap` scaled to fit `size` × `size`.
std::vector<uint8_t> ThumbnailPng(const TUniBitmap& bitmap, int size);

// Call on the main thread before reading on several threads: text in a metafile needs the
// GUI application, which only the main thread may create.
void PrepareInputForThreads();

// Releases what reading set up; before the program ends.
void FinishInput();
