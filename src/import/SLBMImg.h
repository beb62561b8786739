// LBM pictures: IFF "FORM" files of type ILBM (bit planes) or PBM (one byte per pixel), with
// the body stored plain or compressed with ByteRun1. All IFF integers are big-endian.
//
// Offset  Size  Field
//  0      4     "FORM"
//  4      4     form size (not used)
//  8      4     form type: "ILBM", or "PBM" and any fourth character
// 12      4     "BMHD", then its size (not used: the header is taken as the next 20 bytes)
// 20      2     width          22  2  height           24  4  x, y (not used)
// 28      1     planes         29  1  masking (1 = a mask plane follows each row's planes)
// 30      1     compression (0 = none, anything else = ByteRun1)
// 31      9     pad, transparent colour, aspect, page size (not used)
// 40      ...   chunks: 4-character identifier, u32 size, data padded to an even count.
//               "CMAP" (r, g, b triples) may stand anywhere before "BODY".
//
// ILBM rows hold each plane's bits in turn (most significant bit first); PBM rows hold one
// byte per pixel. Rows are at most 8000 pixels wide. The result is a 4-bit (up to 16
// colours) or 8-bit BMP image, built in memory and read by the BMP reader.
#pragma once

#include "bitmap/UniBmp.h"
#include "graphics/Exceptions.h"
#include "graphics/Streams.h"

VANTREL_DECLARE_EXCEPTION(ELBMException, Exception);

// Decodes one LBM picture into a BMP image; one instance serves one load.
class TSLBM {
public:
  // Reads the picture from offset 0 of `source` into the BMP image and rewinds it.
  void LoadLBM(TStream& source);
  // Writes the whole BMP image to `target`.
  void CopyBitmapFile(TStream& target);
  TMemoryStream& Output() { return output_; }

private:
  TMemoryStream output_;
};

class TSLBMImage : public TUniBitmap {
public:
  using TUniBitmap::TUniBitmap;
  // Decodes an LBM picture from offset 0 of the stream; on failure the picture stays as it was.
  void LoadFromStream(TStream& stream) override;
  std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TSLBMImage>(*this); }
};
