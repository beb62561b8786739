// Reading a file as the command line asks, with one named class alone, and the main window's
// rule of how to read a file it opens, which the window, the command line and the tests run.
#pragma once

#include "blz/UniBmp.h"
#include "formats/WindowRule.h"
#include "qt/SLoadImg.h"

#include <functional>
#include <string>

// Reads `fileName` with the class of `format` (a name or alias of the format table) alone,
// without probing, so that class's own error is raised; then draws the result into `target`
// as the loader's conversion does. BMP and BLZ are read by `target` itself. Raises Exception
// for an unknown format.
void LoadByFormat(const std::string& format, const std::string& fileName, TUniBitmap& target);

// How a file read by the bitmap itself is read; by default `target.LoadFromFile`.
using TDirectRead = std::function<void(const std::string& fileName, TUniBitmap& target)>;

// The main window's rule: a name whose upper-cased extension (dot included) occurs in
// "*.BMP;*.DIB;*.BLZ" is read by `target` itself (through `readDirectly` when given); any
// other through `loader`, whose bitmap is then drawn into `target`. The loader's
// "Not Known Format" and every other error reach the caller.
void LoadAsWindowDoes(const std::string& fileName, TUniBitmap& target, TImageLoader& loader,
                      const TDirectRead& readDirectly = {});
