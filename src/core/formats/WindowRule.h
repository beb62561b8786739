// Which files the main window reads with the bitmap itself and which through the image
// loader. The command line applies the same rule without loading the loader's libraries.
#pragma once

#include <string>

// The extension as the rule takes it: from the last dot of the name part, dot included,
// upper-cased; empty when the name part has no dot.
std::string WindowExtension(const std::string& fileName);

// True when the upper-cased extension (dot included) occurs in "*.BMP;*.DIB;*.BLZ": the
// bitmap reads such a file itself.
bool ReadByBitmapItself(const std::string& fileName);
