// Which files the main window reads with the bitmap itself and which through the image
// loader, and the masks its open dialog offers. The command line applies the same rule
// without loading the loader's libraries; the format table's test checks both texts against
// the table.
#pragma once

#include <string>

// The open dialog's file masks, as the window has always offered them.
inline constexpr const char* kWindowImageMasks =
    "*.bmp;*.dib;*.gif;*.ico;*.wmf;*.blz;*.jpg;*.pcx;*.clp;*.lbm";

// The text whose extensions the bitmap reads itself.
inline constexpr const char* kReadByBitmapMasks = "*.BMP;*.DIB;*.BLZ";

// The extension as the rule takes it: from the last dot of the name part, dot included,
// upper-cased; empty when the name part has no dot. The window's one extension helper.
std::string WindowExtension(const std::string& fileName);

// True when the upper-cased extension (dot included) occurs in "*.BMP;*.DIB;*.BLZ", also as
// a part of it (".BM", a lone dot): the bitmap reads such a file itself.
bool ReadByBitmapItself(const std::string& fileName);
