// info's line, the same whichever path measured the figures.
#pragma once

#include "blz/BlzContainer.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

struct TInfoFigures {
  TBmpLayout layout = TBmpLayout::Plain;
  bool picture = false; // a plain file that is not a BMP image
  int width = 0, height = 0, bitsPerPixel = 0;
  int64_t imageSize = 0, storedSize = 0; // the BLZ layouts only
  size_t records = 0;
  int64_t onDisk = 0;
};

inline std::string InfoLine(const std::string& file, const TInfoFigures& f) {
  char line[PATH_MAX + 512]; // room for any path and the figures
  if (f.layout == TBmpLayout::Plain) {
    std::snprintf(line, sizeof line, "%s: %s, %d x %d, %d bpp, %lld bytes on disk", file.c_str(),
                  f.picture ? "picture" : LayoutName(f.layout), f.width, f.height, f.bitsPerPixel,
                  static_cast<long long>(f.onDisk));
    return line;
  }
  const double ratio = f.imageSize ? 100.0 * double(f.onDisk) / double(f.imageSize) : 0;
  std::snprintf(line, sizeof line,
                "%s: %s, %d x %d, %d bpp, BMP image %lld bytes, stored size %lld, %zu records, "
                "%lld bytes on disk (%.1f %%)",
                file.c_str(), LayoutName(f.layout), f.width, f.height, f.bitsPerPixel,
                static_cast<long long>(f.imageSize), static_cast<long long>(f.storedSize),
                f.records, static_cast<long long>(f.onDisk), ratio);
  return line;
}
