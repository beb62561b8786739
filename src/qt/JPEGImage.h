// TJPEGImage: a JPEG file decoded by libjpeg at full size into 24-bit colour. Greyscale is
// expanded, CMYK and YCCK (Adobe's inverted CMYK) are converted to RGB. The file's bytes are
// kept, so saving writes exactly what was read.
#pragma once

#include "bmp/Bitmap.h"
#include "io/Exceptions.h"

#include <cstdint>
#include <span>
#include <vector>

VANTREL_DECLARE_EXCEPTION(EJPEG, EInvalidGraphic);

class TJPEGImage : public TGraphic {
public:
  int Width() const override { return bitmap_.Width(); }
  int Height() const override { return bitmap_.Height(); }

  // Raises EJPEG with libjpeg's own message on bad data; the image is unchanged then.
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) const override;
  void Draw(TDrawTarget& target, const TRect& rect) const override;
  TBitmap RenderOnWhite() const override { return bitmap_.RenderOnWhite(); }
  std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TJPEGImage>(*this); }

  // The decoded pixels, 24 bits per pixel.
  const TBitmap& Bitmap() const { return bitmap_; }

private:
  std::vector<uint8_t> data_;
  TBitmap bitmap_;
};

// Decodes a whole JPEG file from memory into a 24-bit bitmap.
void DecodeJpeg(std::span<const uint8_t> bytes, TBitmap& target);
