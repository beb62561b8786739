// Pixels described by bit masks (BI_BITFIELDS, BI_ALPHABITFIELDS): which masks a bitmap can
// keep as they are, and the conversion of all others to 24-bit B,G,R or 32-bit B,G,R,A.
#pragma once

#include "bmp/Bitmap.h"

#include <array>
#include <cstdint>
#include <vector>

struct TBmpMasks {
  uint32_t red = 0, green = 0, blue = 0, alpha = 0;
};

// Throws EInvalidGraphic unless every colour mask is a non-empty run of bits inside
// `bitsPerPixel` and the alpha mask is empty or such a run.
void CheckBitFieldMasks(const TBmpMasks& masks, int bitsPerPixel);

// The pixel format that holds 16- or 32-bit pixels with these masks without conversion,
// or pfDevice when they must be converted.
TPixelFormat NativeBitFieldFormat(const TBmpMasks& masks, int bitsPerPixel);

// Converts rows of 16- or 32-bit masked pixels into pf24bit (no alpha mask) or pf32bit
// (alpha mask: B,G,R,A). Each channel of n bits is scaled to 0..255 with rounding.
class TBitFieldConverter {
public:
  TBitFieldConverter(const TBmpMasks& masks, int bitsPerPixel);
  TPixelFormat TargetFormat() const {
    return hasAlpha_ ? TPixelFormat::pf32bit : TPixelFormat::pf24bit;
  }
  // Converts `width` pixels; returns true when any converted alpha is not 0.
  bool ConvertRow(const uint8_t* source, uint8_t* target, int width) const;

private:
  struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;
    std::vector<uint8_t> table; // the scaled value of every channel value, up to 16 bits
    uint8_t Scale(uint32_t pixel) const {
      uint32_t v = (pixel & mask) >> shift;
      if (!table.empty()) return table[v];
      return static_cast<uint8_t>((uint64_t{v} * 255 + max / 2) / max);
    }
  };
  std::array<Channel, 4> channels_; // blue, green, red, alpha: the target's byte order
  int bytesPerPixel_;
  bool hasAlpha_;
};
