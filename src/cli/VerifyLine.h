// verify's lines for a file that passed, the same whichever path checked it.
#pragma once

#include "blz/BlzContainer.h"

#include <cstddef>
#include <string>

// A BLZ file whose records expand to a BMP image the reader takes.
inline std::string VerifiedLine(const std::string& file, TBmpLayout layout, size_t records) {
  return file + ": OK (" + LayoutName(layout) + ", " + std::to_string(records) + " records)";
}

// Any other picture, whose BMP image comes back from both layouts as it went in.
inline std::string RoundTripLine(const std::string& file) {
  return file + ": OK (round trip in both layouts)";
}
