// PCX reader: run-length encoded PCX files of 16 colours (four 1-bit planes, 4 bits per pixel
// out), 256 colours (one 8-bit plane, palette at the end) and 24 bits (three 8-bit planes).
//
// Header (128 bytes, little-endian):
//   0 u8 manufacturer (10)   1 u8 version   2 u8 encoding (1)   3 u8 bits per pixel per plane
//   4 i16 xmin   6 i16 ymin   8 i16 xmax   10 i16 ymax   (width = xmax − xmin + 1, likewise height)
//   16 48-byte 16-colour palette (red, green, blue)   65 u8 planes   66 u16 bytes per plane line
// Data: scanlines top-down, each the planes one after the other; a byte ≥ 0xC0 repeats the
// next byte (its low six bits) times, and a run may continue into the next scanline.
// 256-colour palette: the byte 769 from the end is 12, followed by 768 bytes of red, green, blue;
// without it the palette is black. Any version is read. Data missing at the end decodes as 0.
#pragma once

#include "bitmap/UniBmp.h"
#include "graphics/Exceptions.h"

#include <cstdint>
#include <span>

VANTREL_DECLARE_EXCEPTION(EPCXException, Exception);

// The decoder: one object per load.
class TSPCX256 {
public:
  enum class TColorMode { cm16Colors, cm256Colors, cm24Bit };
  // Scanlines, and the converted rows, longer than this are refused.
  static constexpr int kMaxLineBytes = 8001;

  // Decodes the PCX at offset 0 of `source`; raises EPCXException.
  void LoadPCX(TStream& source);
  void LoadPCX(std::span<const uint8_t> bytes);
  // Loads `target` with the decoded image as a BMP image.
  void CopyBitmapFile(TMemoryStream& target) const;
  // Numbers 1 to 3 are the format checks; 4: the image is too large; 5: a bad image size.
  [[noreturn]] static void RaisePCXError(int number);

  TColorMode ColorMode() const { return colorMode_; }
  // The decoded image; valid after a successful LoadPCX.
  TBitmap& Image() { return image_; }

private:
  TColorMode colorMode_ = TColorMode::cm256Colors;
  TBitmap image_;
};

class TSPCXBitmap : public TUniBitmap {
public:
  using TUniBitmap::TUniBitmap;
  // Decodes the PCX at offset 0 of the stream; on failure the bitmap keeps its picture.
  void LoadFromStream(TStream& stream) override;
  std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TSPCXBitmap>(*this); }
};
