// LBM pictures: IFF "FORM" files of type ILBM (bit planes) or PBM (one byte per pixel), with
// the body stored plain or compressed with ByteRun1. All IFF integers are big-endian.
//
// Offset  Size  Field
//  0      4     "FORM"
//  4      4     form size (not used)
//  8      4     form type: "ILBM", or "PBM" and any fourth character
// 12      ...   chunks: 4-character identifier, u32 size, data padded to an even count, in
//               any order up to "BODY":
//   "BMHD" (20 bytes, required before the body): u16 width, u16 height, i16 x, y (not used),
//          u8 planes, u8 masking (1 = a mask plane follows each row's planes),
//          u8 compression (0 = none, anything else = ByteRun1), pad, transparent colour,
//          aspect, page size (not used)
//   "CMAP" red, green, blue triples; fewer than the planes reach are padded with black
//   "CAMG" u32 display mode: 0x800 hold-and-modify (HAM), 0x80 extra-half-brite (EHB),
//          0x4 interlace
//   "SHAM" u16 version, then per line 16 colours as u16 0x0RGB: a HAM base palette per line
//          (per line pair in an interlaced picture with half as many palettes)
//   "PCHG", "CTBL" other per-line palettes: refused, not shown in wrong colours
//
// ILBM rows hold each plane's bits in turn (most significant bit first); PBM rows hold one
// byte per pixel. Rows are at most 8000 pixels wide. Up to 8 planes index the colour map
// (a 4- or 8-bit BMP image). HAM: the top two bits of a pixel say whether its other bits
// (4 in HAM6, 6 in HAM8) index the first colours or replace the blue, red or green of the
// pixel to its left, which starts each row as colour 0. EHB: 6 planes whose upper 32 values
// are the first 32 colours at half intensity. 24 planes are 8 of red, green and blue, lowest
// bit first; 32 add alpha, dropped. HAM and deep pictures become 24-bit BMP images.
#pragma once

#include "blz/UniBmp.h"
#include "formats/LbmErrors.h"
#include "io/Streams.h"

// Decodes one LBM picture; one instance serves one load.
class TSLBM {
public:
  // Reads the picture from offset 0 of `source`, or from `bytes`; raises ELBMException.
  void LoadLBM(TStream& source);
  void LoadLBM(std::span<const uint8_t> bytes);
  // The decoded picture; valid after a successful LoadLBM.
  TBitmap& Image() { return image_; }
  // The picture as a BMP image, written when first asked for.
  TMemoryStream& Output();
  // Writes the whole BMP image to `target`.
  void CopyBitmapFile(TStream& target);

private:
  TBitmap image_;
  TMemoryStream output_;
};

// The LBM picture at offset 0 of `source`, or held in `bytes`; raises ELBMException.
TBitmap DecodeLbm(TStream& source);
TBitmap DecodeLbm(std::span<const uint8_t> bytes);

class TSLBMImage : public TUniBitmap {
public:
  using TUniBitmap::TUniBitmap;
  // Decodes an LBM picture from offset 0 of the stream; on failure the picture stays as it was.
  void LoadFromStream(TStream& stream) override;
  std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TSLBMImage>(*this); }
};
