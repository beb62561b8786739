// A bitmap drawn onto a target, and onto white one to one.
#include "bmp/Bitmap.h"
#include "bmp/DrawTarget.h"

namespace {

// x / 255 rounded as the painter's raster blending rounds it, for x up to 255 * 255.
inline unsigned Div255(unsigned x) {
  return (x + (x >> 8) + 0x80) >> 8;
}

// Row `y` of a 32-bit bitmap with alpha over white, as 24-bit B,G,R: each channel
// premultiplied, then the white background weighted by the transparency added.
void BlendRowOverWhite(const uint8_t* in, int width, uint8_t* out) {
  for (int x = 0; x < width; ++x, in += 4, out += 3) {
    const unsigned alpha = in[3];
    const unsigned white = Div255(255 * (255 - alpha));
    out[0] = static_cast<uint8_t>(Div255(in[0] * alpha) + white);
    out[1] = static_cast<uint8_t>(Div255(in[1] * alpha) + white);
    out[2] = static_cast<uint8_t>(Div255(in[2] * alpha) + white);
  }
}

} // namespace

void TBitmap::Draw(TDrawTarget& target, const TRect& rect) const {
  target.DrawBitmap(*this, rect);
}

TBitmap TBitmap::RenderOnWhite() const {
  TBitmap result;
  if (Empty()) {
    result.SetSize(width_, height_);
  } else if (format_ == TPixelFormat::pf24bit) {
    result = *this;
  } else {
    // One pass from the pixels to the result: a large picture is never copied whole first.
    result.Allocate(width_, height_, TPixelFormat::pf24bit);
    const bool blend = format_ == TPixelFormat::pf32bit && alpha_;
    for (int y = 0; y < height_; ++y) {
      if (blend)
        BlendRowOverWhite(ScanLine(y), width_, result.ScanLine(y));
      else
        ExpandRowTo24(y, result.ScanLine(y));
    }
    result.ClearRowPadding();
  }
  return result;
}
