// PCX reader: every kind of run-length encoded PCX picture.
//
// Header (128 bytes, little-endian):
//   0 u8 manufacturer (10)   1 u8 version   2 u8 encoding (1)   3 u8 bits per pixel per plane
//   4 i16 xmin   6 i16 ymin   8 i16 xmax   10 i16 ymax   (width = xmax − xmin + 1, likewise height)
//   16 48-byte 16-colour palette (red, green, blue)   65 u8 planes   66 u16 bytes per plane line
// Data: scanlines top-down, each the planes one after the other; a byte ≥ 0xC0 repeats the
// next byte (its low six bits) times, and a run may continue into the next scanline. Pixels
// are packed most significant bits first; plane p gives bits p × depth and up of the index.
//
// Kinds (planes × bits) and their colours:
//   1 × 1        two colours: the header's first two, unless the rest of the header palette
//                holds leftovers (any of entries 2-15 set) or both are equal: then black, white
//   1 × 2        four colours from the header (CGA pictures store them as RGB there)
//   1 × 4, 2 × 1, 3 × 1, 4 × 1   up to 16 colours from the header
//   1 × 8        256 colours: the byte 769 from the end is 12, followed by 768 bytes of red,
//                green, blue; without it the pixels are grey levels
//   3 × 8, 4 × 8 red, green, blue (and alpha, dropped) planes: 24 bits
// Versions 0 and 3 carry no header palette, nor does a header palette of zeros: the default
// EGA colours (CGA's black, cyan, magenta, white for four colours) stand in. Data missing at
// the end decodes as 0.
#pragma once

#include "blz/UniBmp.h"
#include "formats/PcxErrors.h"

#include <cstdint>
#include <span>

// The decoder: one object per load.
class TSPCX256 {
public:
  // Palette indices of up to 4 bits, of 8 bits, or red, green and blue.
  enum class TColorMode { cm16Colors, cm256Colors, cm24Bit };
  // Scanlines, and the converted rows, longer than this are refused.
  static constexpr int kMaxLineBytes = 8001;

  // Decodes the PCX at offset 0 of `source`; raises EPCXException.
  void LoadPCX(TStream& source);
  void LoadPCX(std::span<const uint8_t> bytes);
  // Loads `target` with the decoded image as a BMP image.
  void CopyBitmapFile(TMemoryStream& target) const;

  TColorMode ColorMode() const { return colorMode_; }
  // The decoded image; valid after a successful LoadPCX.
  TBitmap& Image() { return image_; }

private:
  TColorMode colorMode_ = TColorMode::cm256Colors;
  TBitmap image_;
};

// The PCX picture at offset 0 of `source`, or held in `bytes`; raises EPCXException.
TBitmap DecodePcx(TStream& source);
TBitmap DecodePcx(std::span<const uint8_t> bytes);

class TSPCXBitmap : public TUniBitmap {
public:
  using TUniBitmap::TUniBitmap;
  // Decodes the PCX at offset 0 of the stream; on failure the bitmap keeps its picture.
  void LoadFromStream(TStream& stream) override;
  std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TSPCXBitmap>(*this); }
};
