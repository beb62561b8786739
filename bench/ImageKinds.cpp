#include "ImageKinds.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// Small deterministic generator; std::mt19937 is needlessly slow for 13 MB of noise.
class TRandom {
public:
  explicit TRandom(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<uint32_t>(state_ >> 16);
  }
  int Below(int limit) { return static_cast<int>(Next() % static_cast<uint32_t>(limit)); }

private:
  uint64_t state_;
};

uint8_t Clamp(double value) {
  return static_cast<uint8_t>(std::clamp(value, 0.0, 255.0));
}

struct TRgb {
  uint8_t r, g, b;
};

void Put24(TBitmap& bitmap, int x, int y, TRgb c) {
  if (x < 0 || y < 0 || x >= bitmap.Width() || y >= bitmap.Height()) return;
  uint8_t* p = bitmap.ScanLine(y) + 3 * x;
  p[0] = c.b;
  p[1] = c.g;
  p[2] = c.r;
}

void FillRect24(TBitmap& bitmap, int left, int top, int right, int bottom, TRgb c) {
  left = std::max(left, 0), top = std::max(top, 0);
  right = std::min(right, bitmap.Width()), bottom = std::min(bottom, bitmap.Height());
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x)
      Put24(bitmap, x, y, c);
}

// 96 glyphs of 6 × 9 cells, as bit masks of the rows; a stand-in for rendered text.
struct TGlyphs {
  uint8_t rows[96][9];
  explicit TGlyphs(uint64_t seed) {
    TRandom random(seed);
    for (auto& glyph : rows) {
      for (int y = 0; y < 9; ++y)
        glyph[y] = (y == 0 || y == 8) ? 0 : random.Next() & 0x3E;
    }
  }
};

// Lines of words at (left, top) within the given width, glyph cells drawn with `put`.
template <typename Put>
void DrawText(const TGlyphs& glyphs, TRandom& random, int left, int top, int width, int height,
              Put put) {
  for (int line = top; line + 12 <= top + height; line += 12) {
    int x = left;
    while (x + 6 < left + width) {
      int word = 2 + random.Below(8);
      if (random.Below(6) == 0) break; // ragged right edge
      for (int i = 0; i < word && x + 6 < left + width; ++i, x += 6) {
        const uint8_t* glyph = glyphs.rows[random.Below(96)];
        for (int gy = 0; gy < 9; ++gy)
          for (int gx = 0; gx < 6; ++gx)
            if (glyph[gy] & (0x20 >> gx)) put(x + gx, line + gy);
      }
      x += 6;
    }
  }
}

TUniBitmap Photo(int width, int height) {
  TUniBitmap bitmap;
  bitmap.Allocate(width, height, TPixelFormat::pf24bit);
  TRandom random(1);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      double u = x / double(width), v = y / double(height);
      double shade = 50 * std::sin(6 * u + 2 * v) + 40 * std::cos(9 * v - 3 * u);
      int noise = random.Below(31) - 15; // enough that every block ends stored
      Put24(bitmap, x, y,
            {Clamp(120 + shade + noise), Clamp(100 + 0.7 * shade + 80 * v + noise),
             Clamp(90 - 0.5 * shade + 60 * u + noise)});
    }
  }
  bitmap.ClearRowPadding();
  return bitmap;
}

TUniBitmap Screenshot(int width, int height) {
  TUniBitmap bitmap;
  bitmap.Allocate(width, height, TPixelFormat::pf24bit);
  FillRect24(bitmap, 0, 0, width, height, {58, 110, 165}); // desktop
  TRandom random(2);
  TGlyphs glyphs(3);
  const TRgb black{0, 0, 0}, white{255, 255, 255}, face{212, 208, 200}, title{10, 36, 106};
  for (int w = 0; w < 9; ++w) {
    int left = random.Below(width * 2 / 3), top = 30 + random.Below(height * 2 / 3);
    int right = left + width / 5 + random.Below(width / 3);
    int bottom = top + height / 5 + random.Below(height / 3);
    FillRect24(bitmap, left, top, right, bottom, face); // frame
    for (int x = left + 3; x < right - 3; ++x) {        // title bar: a horizontal gradient
      double t = double(x - left) / (right - left);
      FillRect24(bitmap, x, top + 3, x + 1, top + 22,
                 {Clamp(title.r + 140 * t), Clamp(title.g + 130 * t), Clamp(title.b + 110 * t)});
    }
    DrawText(glyphs, random, left + 8, top + 6, (right - left) / 2, 12,
             [&](int x, int y) { Put24(bitmap, x, y, white); });
    for (int icon = 0; icon < 12; ++icon) { // toolbar
      int ix = left + 6 + icon * 24;
      if (ix + 16 > right - 6) break;
      for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
          if ((x - 8) * (x - 8) + (y - 8) * (y - 8) < 50)
            Put24(bitmap, ix + x, top + 26 + y,
                  {uint8_t(icon * 20), uint8_t(200 - y * 8), uint8_t(x * 15)});
    }
    FillRect24(bitmap, left + 3, top + 46, right - 3, bottom - 3, white);  // client area
    FillRect24(bitmap, right - 20, top + 46, right - 3, bottom - 3, face); // scroll bar
    if (w == 4) {                                                          // an embedded picture
      for (int y = top + 52; y < bottom - 10; ++y)
        for (int x = left + 10; x < right - 30; ++x) {
          int noise = random.Below(9) - 4;
          double shade = 60 * std::sin(x * 0.02) * std::cos(y * 0.015);
          Put24(bitmap, x, y,
                {Clamp(140 + shade + noise), Clamp(120 + shade / 2 + noise),
                 Clamp(90 - shade + noise)});
        }
      continue;
    }
    // Anti-aliased text: grey fringes right of and below the strokes.
    DrawText(glyphs, random, left + 10, top + 52, right - left - 40, bottom - top - 60,
             [&](int x, int y) {
               if (x < 0 || y < 0 || x >= bitmap.Width() || y >= bitmap.Height()) return;
               Put24(bitmap, x, y, black);
               if (x + 1 < bitmap.Width() && bitmap.ScanLine(y)[3 * (x + 1)] == 255)
                 Put24(bitmap, x + 1, y, {150, 150, 150});
               if (y + 1 < bitmap.Height() && bitmap.ScanLine(y + 1)[3 * x] == 255)
                 Put24(bitmap, x, y + 1, {200, 200, 200});
             });
  }
  FillRect24(bitmap, 0, height - 28, width, height, face); // task bar
  bitmap.ClearRowPadding();
  return bitmap;
}

TUniBitmap Palette8(int width, int height) {
  TUniBitmap bitmap;
  bitmap.Allocate(width, height, TPixelFormat::pf8bit);
  std::vector<TRGBQuad> palette(256);
  for (int i = 0; i < 256; ++i)
    palette[i] = {uint8_t((i & 7) * 36), uint8_t(((i >> 3) & 7) * 36), uint8_t((i >> 6) * 85), 0};
  bitmap.SetPalette(palette);
  TRandom random(4);
  TGlyphs glyphs(5);
  // A map-like picture: flat regions, dithered regions, contour lines and labels.
  for (int y = 0; y < height; ++y) {
    uint8_t* row = bitmap.ScanLine(y);
    for (int x = 0; x < width; ++x) {
      int region = (x / 173 + y / 151 + (x / 97) * (y / 131)) % 11;
      uint8_t index = static_cast<uint8_t>(region * 23 + 5);
      if (region % 3 == 0 && ((x + y) & 1)) index = static_cast<uint8_t>(index + 1); // dither
      if (region == 7 && random.Below(16) == 0) index = static_cast<uint8_t>(random.Next());
      row[x] = index;
    }
  }
  for (int c = 0; c < 300; ++c) { // contour lines
    int x0 = random.Below(width), y0 = random.Below(height), r = 20 + random.Below(200);
    for (int a = 0; a < 8 * r; ++a) {
      int x = x0 + int(r * std::cos(a / (4.0 * r) * M_PI)),
          y = y0 + int(r * std::sin(a / (4.0 * r) * M_PI));
      if (x >= 0 && y >= 0 && x < width && y < height) bitmap.ScanLine(y)[x] = 0;
    }
  }
  for (int l = 0; l < 400; ++l)
    DrawText(glyphs, random, random.Below(width - 100), random.Below(height - 24), 100, 24,
             [&](int x, int y) {
               if (x < width && y < height) bitmap.ScanLine(y)[x] = 255;
             });
  return bitmap;
}

TUniBitmap Illustration(int width, int height) {
  // Drawn at a quarter of the size, then scaled up 4 × with square pixels.
  const int w = width / 4, h = height / 4;
  std::vector<TRgb> small(size_t(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      small[size_t(y) * w + x] = {uint8_t(120 + y * 100 / h), uint8_t(170 + y * 60 / h), 240};
  TRandom random(6);
  for (int s = 0; s < 60; ++s) {
    TRgb c{uint8_t(random.Next()), uint8_t(random.Next()), uint8_t(random.Next())};
    int cx = random.Below(w), cy = random.Below(h), r = 5 + random.Below(w / 8);
    bool disc = random.Below(2);
    for (int y = std::max(0, cy - r); y < std::min(h, cy + r); ++y)
      for (int x = std::max(0, cx - r); x < std::min(w, cx + r); ++x) {
        int d = (x - cx) * (x - cx) + (y - cy) * (y - cy);
        if (!disc || d < r * r)
          small[size_t(y) * w + x] = d > (r - 2) * (r - 2) && disc ? TRgb{0, 0, 0} : c;
      }
  }
  TUniBitmap bitmap;
  bitmap.Allocate(w * 4, h * 4, TPixelFormat::pf24bit);
  for (int y = 0; y < h * 4; ++y)
    for (int x = 0; x < w * 4; ++x)
      Put24(bitmap, x, y, small[size_t(y / 4) * w + x / 4]);
  bitmap.ClearRowPadding();
  return bitmap;
}

TUniBitmap Noise(int width, int height) {
  TUniBitmap bitmap;
  bitmap.Allocate(width, height, TPixelFormat::pf24bit);
  TRandom random(7);
  for (uint8_t& byte : bitmap.Bits())
    byte = static_cast<uint8_t>(random.Next());
  bitmap.ClearRowPadding();
  return bitmap;
}

} // namespace

std::vector<TImageKind> MakeImageKinds(int scale) {
  const int w = 2400 / scale, h = 1800 / scale; // 24-bit: 12.96 MB
  std::vector<TImageKind> kinds;
  kinds.push_back({"photo 24-bit", Photo(w, h)});
  kinds.push_back({"screenshot 24-bit", Screenshot(w, h)});
  kinds.push_back({"palette 8-bit", Palette8(4000 / scale, 3200 / scale)});
  kinds.push_back({"illustration 24-bit", Illustration(w, h)});
  kinds.push_back({"noise 24-bit", Noise(w, h)});
  return kinds;
}

TUniBitmap MakePhoto(int width, int height) {
  return Photo(width, height);
}

TUniBitmap MakeScreenshot(int width, int height) {
  return Screenshot(width, height);
}
