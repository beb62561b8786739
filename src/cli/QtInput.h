// The command line's Qt-bound reading back-end: what the input module runs inside its own
// library (and the tests run directly). vantrel-cli itself reaches it only through Input.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TUniBitmap;

// Loads `fileName` into `target`. With an empty `format` the window's rule applies
// (LoadAsWindowDoes); a format name of the format table reads with that one class alone.
// Alpha is kept, also of pictures the loader reads; `notes` gets what the picture lost on the
// way (see TStockPicture), when given.
void ReadInputWithQt(const std::string& fileName, const std::string& format, TUniBitmap& target,
                     std::vector<std::string>* notes = nullptr);

// The PNG file of `bitmap` scaled to fit `size` × `size`.
std::vector<uint8_t> ThumbnailPngWithQt(const TUniBitmap& bitmap, int size);

// Call on the main thread before reading on several threads: text in a metafile needs the
// GUI application, which only the main thread may create.
void PrepareQtInputForThreads();

// Releases what reading set up; before the program ends.
void FinishQtInput();
