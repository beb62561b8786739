// Generated test images for the benchmark, each at least 12 MB as a BMP image (scaled down
// for a quick run). Deterministic: the same kind always gives the same pixels.
#pragma once

#include "blz/UniBmp.h"

#include <string>
#include <vector>

struct TImageKind {
  std::string name;
  TUniBitmap bitmap;
};

// Photo-like 24-bit, screenshot-like 24-bit, 8-bit palette, illustration-like, random noise.
// `scale` divides both sides (1 for the full size).
std::vector<TImageKind> MakeImageKinds(int scale);

// One photo-like or screenshot-like 24-bit picture of any size.
TUniBitmap MakePhoto(int width, int height);
TUniBitmap MakeScreenshot(int width, int height);
