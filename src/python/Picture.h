// The picture a Python caller holds: its pixels already in numpy's layout (rows top-down,
// 8-bit samples, no padding), so that numpy.asarray shares them instead of copying.
//   P     palette indices, one byte each, and a palette of 2^bpp colours
//   L     grey values, one byte each (a palette that is all greys)
//   RGB   red, green, blue
//   RGBA  red, green, blue, alpha (a 32-bit picture with alpha)
#pragma once

#include "bmp/Bitmap.h"
#include "cli/PixelKind.h"
#include "python/SpareMemory.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum class TPictureMode { P, L, Rgb, Rgba };

const char* ModeName(TPictureMode mode);
int ChannelsOf(TPictureMode mode);

class TPythonPicture {
public:
  using TColour = std::array<uint8_t, 3>;

  // Takes `bitmap`'s pixels into the picture's layout; the bitmap is emptied on the way, so
  // the two are never both held whole for longer than the conversion.
  static TPythonPicture FromBitmap(TBitmap&& bitmap, std::string format);
  // A picture whose pixels are yet to be filled, for a `bitsPerPixel` bitmap of `kind` with
  // the colour table `palette` (1 to 8 bits).
  static TPythonPicture Blank(int width, int height, int bitsPerPixel, TPixelKind kind,
                              const std::vector<TRGBQuad>& palette, std::string format);
  // A picture of `mode` whose pixels are `width` × `height` × channels bytes from `pixels`.
  TPythonPicture(TPictureMode mode, int width, int height, const uint8_t* pixels,
                 std::vector<TColour> palette);

  // The bitmap the writers take: a palette picture at the fewest bits its palette needs, grey
  // as 8 bits with a grey ramp, RGB at 24 bits, RGBA at 32 bits with alpha.
  TBitmap ToBitmap() const;

  int Width() const { return width_; }
  int Height() const { return height_; }
  int BitsPerPixel() const { return bitsPerPixel_; }
  TPictureMode Mode() const { return mode_; }
  const std::vector<TColour>& Palette() const { return palette_; }
  const std::string& Format() const { return format_; }
  // What the picture lost on its way from the file, as the command line notes it on standard
  // error ("its 16-bit channels become 8-bit", ...).
  const std::vector<std::string>& Notes() const { return notes_; }
  void SetNotes(std::vector<std::string> notes) { notes_ = std::move(notes); }
  uint8_t* Pixels() { return pixels_.get(); }
  size_t RowBytes() const { return size_t(width_) * size_t(ChannelsOf(mode_)); }

private:
  TPythonPicture() = default;
  void AllocatePixels();

  TPictureMode mode_ = TPictureMode::Rgb;
  int width_ = 0, height_ = 0, bitsPerPixel_ = 0;
  std::vector<TColour> palette_;
  std::string format_;
  std::vector<std::string> notes_;
  spare::TBlock pixels_;
};
