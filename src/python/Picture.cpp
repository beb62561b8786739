#include "python/Picture.h"

#include "io/Exceptions.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

namespace {

// Row `y` of a 1, 4 or 8-bit picture as one index byte per pixel.
void RowIndices(const TBitmap& bitmap, int y, uint8_t* out) {
  const int bits = bitmap.BitsPerPixel();
  const uint8_t* row = bitmap.ScanLine(y);
  if (bits == 8) {
    std::memcpy(out, row, size_t(bitmap.Width()));
    return;
  }
  const int perByte = 8 / bits, mask = (1 << bits) - 1;
  for (int x = 0; x < bitmap.Width(); ++x)
    out[x] = uint8_t(row[x / perByte] >> ((perByte - 1 - x % perByte) * bits) & mask);
}

void PackIndices(const uint8_t* indices, int width, int bits, uint8_t* row) {
  if (bits == 8) {
    std::memcpy(row, indices, size_t(width));
    return;
  }
  const int perByte = 8 / bits;
  for (int x = 0; x < width; ++x)
    row[x / perByte] |= uint8_t(indices[x] << ((perByte - 1 - x % perByte) * bits));
}

TPixelFormat PaletteFormat(size_t colours) {
  return colours <= 2    ? TPixelFormat::pf1bit
         : colours <= 16 ? TPixelFormat::pf4bit
                         : TPixelFormat::pf8bit;
}

} // namespace

const char* ModeName(TPictureMode mode) {
  switch (mode) {
  case TPictureMode::P:
    return "P";
  case TPictureMode::L:
    return "L";
  case TPictureMode::Rgb:
    return "RGB";
  case TPictureMode::Rgba:
    return "RGBA";
  }
  return "RGB";
}

int ChannelsOf(TPictureMode mode) {
  return mode == TPictureMode::Rgb ? 3 : mode == TPictureMode::Rgba ? 4 : 1;
}

void TPythonPicture::AllocatePixels() {
  pixels_ = spare::TakeMemory(RowBytes() * size_t(height_));
}

TPythonPicture TPythonPicture::Blank(int width, int height, int bitsPerPixel, TPixelKind kind,
                                     const std::vector<TRGBQuad>& palette, std::string format) {
  TPythonPicture picture;
  picture.width_ = width;
  picture.height_ = height;
  picture.bitsPerPixel_ = bitsPerPixel;
  picture.format_ = std::move(format);
  picture.mode_ = kind == TPixelKind::Palette ? TPictureMode::P
                  : kind == TPixelKind::Grey  ? TPictureMode::L
                  : kind == TPixelKind::Rgba  ? TPictureMode::Rgba
                                              : TPictureMode::Rgb;
  if (kind == TPixelKind::Palette) {
    // Every index a pixel can hold has a colour; entries the table lacks are black.
    picture.palette_.resize(size_t(1) << bitsPerPixel);
    for (size_t i = 0; i < picture.palette_.size() && i < palette.size(); ++i)
      picture.palette_[i] = {palette[i].rgbRed, palette[i].rgbGreen, palette[i].rgbBlue};
  }
  picture.AllocatePixels();
  return picture;
}

TPythonPicture TPythonPicture::FromBitmap(TBitmap&& bitmap, std::string format) {
  if (bitmap.Empty()) throw EInvalidGraphic("The file holds an empty picture");
  const TPixelKind kind = KindOf(bitmap);
  TPythonPicture picture = Blank(bitmap.Width(), bitmap.Height(), bitmap.BitsPerPixel(), kind,
                                 bitmap.Palette(), std::move(format));
  const size_t rowBytes = picture.RowBytes();
  // Grey rows are made 3 samples wide before they are narrowed.
  std::vector<uint8_t> wide(kind == TPixelKind::Grey ? size_t(picture.width_) * 3 : 0);
  for (int y = 0; y < picture.height_; ++y) {
    uint8_t* out = picture.pixels_.get() + rowBytes * size_t(y);
    if (kind == TPixelKind::Palette) {
      RowIndices(bitmap, y, out);
    } else if (kind == TPixelKind::Grey) {
      RowSamples(bitmap, y, kind, wide.data());
      std::memcpy(out, wide.data(), rowBytes);
    } else {
      RowSamples(bitmap, y, kind, out);
    }
  }
  bitmap = TBitmap();
  return picture;
}

TPythonPicture::TPythonPicture(TPictureMode mode, int width, int height, const uint8_t* pixels,
                               std::vector<TColour> palette)
    : mode_(mode), width_(width), height_(height), palette_(std::move(palette)) {
  bitsPerPixel_ = mode == TPictureMode::P   ? ::BitsPerPixel(PaletteFormat(palette_.size()))
                  : mode == TPictureMode::L ? 8
                                            : 8 * ChannelsOf(mode);
  AllocatePixels();
  std::memcpy(pixels_.get(), pixels, RowBytes() * size_t(height));
}

TBitmap TPythonPicture::ToBitmap() const {
  TBitmap bitmap;
  const size_t rowBytes = RowBytes();
  if (mode_ == TPictureMode::P || mode_ == TPictureMode::L) {
    std::vector<TRGBQuad> table(mode_ == TPictureMode::L ? 256 : palette_.size());
    for (size_t i = 0; i < table.size(); ++i) {
      const TColour c =
          mode_ == TPictureMode::L ? TColour{uint8_t(i), uint8_t(i), uint8_t(i)} : palette_[i];
      table[i] = {c[2], c[1], c[0], 0};
    }
    const TPixelFormat format = PaletteFormat(table.size());
    const int bits = ::BitsPerPixel(format);
    bitmap.Allocate(width_, height_, format, true);
    bitmap.SetPalette(std::move(table));
    for (int y = 0; y < height_; ++y) {
      const uint8_t* in = pixels_.get() + rowBytes * size_t(y);
      const auto beyond = std::find_if(in, in + width_, [&](uint8_t i) {
        return mode_ == TPictureMode::P && i >= palette_.size();
      });
      if (beyond != in + width_)
        throw std::invalid_argument("pixel index " + std::to_string(*beyond) + " is beyond the " +
                                    std::to_string(palette_.size()) + " colours of the palette");
      PackIndices(in, width_, bits, bitmap.ScanLine(y));
    }
    return bitmap;
  }
  const bool alpha = mode_ == TPictureMode::Rgba;
  bitmap.Allocate(width_, height_, alpha ? TPixelFormat::pf32bit : TPixelFormat::pf24bit, true);
  bitmap.SetHasAlpha(alpha);
  const int channels = ChannelsOf(mode_);
  for (int y = 0; y < height_; ++y) {
    const uint8_t* in = pixels_.get() + rowBytes * size_t(y);
    uint8_t* out = bitmap.ScanLine(y);
    for (int x = 0; x < width_; ++x, in += channels, out += channels) {
      out[0] = in[2], out[1] = in[1], out[2] = in[0];
      if (alpha) out[3] = in[3];
    }
  }
  return bitmap;
}
