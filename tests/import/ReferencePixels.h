// Shared by the GIF and PCX reference tests: a noisy test picture for the encoders, and a
// pixel-for-pixel comparison with a reference decoder's output.
#pragma once

#include "TestSupport.h"
#include "graphics/Bitmap.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

namespace referencetest {

// A PPM that uses exactly `colors` colours: runs of `run` pixels broken by noise, so that a
// coder meets both long runs (across rows for PCX) and, for LZW, a full table.
inline void WritePattern(const std::string& file, int width, int height, int colors, unsigned seed,
                         int run = 3) {
  std::mt19937 random(seed);
  std::ofstream out(file, std::ios::binary);
  out << "P6\n" << width << " " << height << "\n255\n";
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      int i = random() % 4 == 0 ? int(random() % unsigned(colors)) : (x / run + y / 2) % colors;
      if (y == 0 && x < colors) i = x; // every colour occurs
      out.put(char(i * 37)).put(char(i * 11 + 5)).put(char(255 - i));
    }
}

// Reference pixels with alpha below 255 are not compared (the decoder shows the colour behind
// transparency, a viewer the background). Each channel may differ by `tolerance`.
inline ::testing::AssertionResult SamePixels(const TBitmap& b, const testsupport::Image& ref,
                                             int tolerance = 0) {
  if (b.Width() != ref.width || b.Height() != ref.height)
    return ::testing::AssertionFailure() << "size " << b.Width() << "x" << b.Height()
                                         << ", reference " << ref.width << "x" << ref.height;
  for (int y = 0; y < ref.height; ++y)
    for (int x = 0; x < ref.width; ++x) {
      uint32_t want = ref.pixels[size_t(y) * size_t(ref.width) + size_t(x)];
      if (want >> 24 != 0xFF) continue;
      TColor c = b.GetPixel(x, y);
      uint32_t got = 0xFF000000u | (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
      bool close = true;
      for (int shift : {0, 8, 16})
        close = close && std::abs(int(got >> shift & 255) - int(want >> shift & 255)) <= tolerance;
      if (!close)
        return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << std::hex
                                             << got << ", reference " << want;
    }
  return ::testing::AssertionSuccess();
}

} // namespace referencetest
