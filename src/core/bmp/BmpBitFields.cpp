#include "bmp/BmpBitFields.h"

#include "bmp/BmpErrors.h"

#include <bit>
#include <cstdio>

namespace {

bool IsBitRun(uint32_t mask) {
  uint32_t shifted = mask >> std::countr_zero(mask);
  return (shifted & (shifted + 1)) == 0;
}

std::string MaskText(uint32_t mask) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", mask);
  return text;
}

} // namespace

void CheckBitFieldMasks(const TBmpMasks& masks, int bitsPerPixel) {
  const uint64_t pixelBits = (uint64_t{1} << bitsPerPixel) - 1;
  const struct {
    const char* name;
    uint32_t mask;
  } channels[] = {
      {"red", masks.red}, {"green", masks.green}, {"blue", masks.blue}, {"alpha", masks.alpha}};
  for (const auto& channel : channels) {
    if (channel.mask == 0) {
      if (&channel == &channels[3]) continue; // no alpha
      ThrowInvalidBmp(std::string("the ") + channel.name + " bit mask is empty");
    }
    if (channel.mask > pixelBits || !IsBitRun(channel.mask))
      ThrowInvalidBmp(std::string("the ") + channel.name + " bit mask " + MaskText(channel.mask) +
                      " is not a run of bits inside a " + std::to_string(bitsPerPixel) +
                      "-bit pixel");
  }
}

TPixelFormat NativeBitFieldFormat(const TBmpMasks& masks, int bitsPerPixel) {
  auto is = [&](uint32_t r, uint32_t g, uint32_t b) {
    return masks.red == r && masks.green == g && masks.blue == b;
  };
  if (bitsPerPixel == 16 && masks.alpha == 0) {
    if (is(0x7C00, 0x03E0, 0x001F)) return TPixelFormat::pf15bit;
    if (is(0xF800, 0x07E0, 0x001F)) return TPixelFormat::pf16bit;
  }
  if (bitsPerPixel == 32 && is(0x00FF0000, 0x0000FF00, 0x000000FF) &&
      (masks.alpha == 0 || masks.alpha == 0xFF000000))
    return TPixelFormat::pf32bit;
  return TPixelFormat::pfDevice;
}

TBitFieldConverter::TBitFieldConverter(const TBmpMasks& masks, int bitsPerPixel)
    : bytesPerPixel_(bitsPerPixel / 8), hasAlpha_(masks.alpha != 0) {
  const uint32_t order[4] = {masks.blue, masks.green, masks.red, masks.alpha};
  for (int i = 0; i < 4; ++i) {
    Channel& channel = channels_[i];
    channel.mask = order[i];
    if (channel.mask == 0) continue;
    channel.shift = std::countr_zero(channel.mask);
    channel.max = channel.mask >> channel.shift;
    if (std::popcount(channel.max) <= 16) {
      channel.table.resize(size_t{channel.max} + 1);
      for (uint32_t v = 0; v <= channel.max; ++v)
        channel.table[v] = static_cast<uint8_t>((v * 255 + channel.max / 2) / channel.max);
    }
  }
}

bool TBitFieldConverter::ConvertRow(const uint8_t* source, uint8_t* target, int width) const {
  uint8_t anyAlpha = 0;
  for (int x = 0; x < width; ++x, source += bytesPerPixel_) {
    const uint32_t pixel = bytesPerPixel_ == 2
                               ? uint32_t{source[0]} | uint32_t{source[1]} << 8
                               : uint32_t{source[0]} | uint32_t{source[1]} << 8 |
                                     uint32_t{source[2]} << 16 | uint32_t{source[3]} << 24;
    *target++ = channels_[0].Scale(pixel);
    *target++ = channels_[1].Scale(pixel);
    *target++ = channels_[2].Scale(pixel);
    if (hasAlpha_) {
      *target = channels_[3].Scale(pixel);
      anyAlpha |= *target++;
    }
  }
  return anyAlpha != 0;
}
