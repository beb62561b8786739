#include "bmp/BmpRle.h"

#include "bmp/BmpErrors.h"
#include "io/Limits.h"

#include <algorithm>
#include <cstring>

namespace {

class TRleTarget {
public:
  TRleTarget(uint8_t* bits, int64_t width, int64_t height, bool eightBit)
      : bits_(bits), stride_(limits::RowStride(width, eightBit ? 8 : 4)), width_(width),
        height_(height), eightBit_(eightBit) {}

  int64_t Width() const { return width_; }
  int64_t Height() const { return height_; }

  // Calls pixel(i) for the pixels i of a count-pixel command that fall inside the image,
  // then advances the column past all of them, stopping at the row end.
  template <class PixelAt> void Put(int64_t count, PixelAt pixel) {
    if (bits_ && y < height_) {
      uint8_t* row = bits_ + y * stride_;
      const int64_t visible = std::max<int64_t>(0, std::min(count, width_ - x));
      for (int64_t i = 0; i < visible; ++i) {
        const int64_t at = x + i;
        const uint8_t index = pixel(i);
        if (index > highest.index) highest = {index, at, height_ - 1 - y};
        if (eightBit_) {
          row[at] = index;
        } else {
          const int shift = (at & 1) ? 0 : 4;
          row[at >> 1] = static_cast<uint8_t>((row[at >> 1] & ~(0x0F << shift)) | index << shift);
        }
      }
    }
    x = std::min(x + count, width_);
  }

  bool Complete() const { return y >= height_ || (y == height_ - 1 && x >= width_); }

  int64_t x = 0;
  int64_t y = 0; // counted from the bottom row
  TRleHighestIndex highest;

private:
  uint8_t* bits_;
  int64_t stride_;
  int64_t width_;
  int64_t height_;
  bool eightBit_;
};

} // namespace

size_t DecodeBmpRle(std::span<const uint8_t> data, int bitsPerPixel, int width, int height,
                    TBitmap* bitmap, TRleHighestIndex* highest) {
  const bool eightBit = bitsPerPixel == 8;
  TRleTarget target(bitmap ? bitmap->Bits().data() : nullptr, width, height, eightBit);
  size_t pos = 0;
  auto need = [&](size_t count) {
    if (count > data.size() - pos)
      ThrowInvalidBmp("the RLE data stop before the image is complete (row " +
                      std::to_string(target.y) + " of " + std::to_string(target.Height()) + ")");
  };
  for (;;) {
    if (pos == data.size() && target.Complete()) break; // a missing end-of-bitmap code
    need(2);
    const uint8_t first = data[pos];
    const uint8_t second = data[pos + 1];
    pos += 2;
    if (first > 0) {
      if (eightBit) {
        target.Put(first, [&](int64_t) { return second; });
      } else {
        target.Put(first, [&](int64_t i) {
          return static_cast<uint8_t>((i & 1) ? second & 0x0F : second >> 4);
        });
      }
    } else if (second == 0) {
      target.x = 0;
      ++target.y;
    } else if (second == 1) {
      break;
    } else if (second == 2) {
      need(2);
      target.x += data[pos];
      target.y += data[pos + 1];
      pos += 2;
      if (target.x > target.Width() || target.y >= target.Height())
        ThrowInvalidBmp("an RLE delta moves outside the image");
    } else {
      const size_t bytes = eightBit ? second : (second + 1u) / 2;
      need(bytes);
      const uint8_t* literal = data.data() + pos;
      if (eightBit) {
        target.Put(second, [&](int64_t i) { return literal[i]; });
      } else {
        target.Put(second, [&](int64_t i) {
          return static_cast<uint8_t>((i & 1) ? literal[i >> 1] & 0x0F : literal[i >> 1] >> 4);
        });
      }
      pos += bytes;
      if ((bytes & 1) && pos < data.size()) ++pos; // literals are padded to 16 bits
    }
  }
  if (highest) *highest = target.highest;
  return pos;
}
