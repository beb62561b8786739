// TIcon: a Windows icon (.ico) or cursor (.cur) file shown at the standard icon size of 32 × 32.
//
// File layout (little-endian):
//   ICONDIR       u16 reserved (0), u16 type (1 = icon, 2 = cursor), u16 count
//   ICONDIRENTRY  count × 16 bytes: u8 width, u8 height, u8 colours, u8 reserved, u16 planes,
//                 u16 bit count, u32 bytes in image, u32 offset of image from the file start
//                 (a cursor keeps its hot spot in place of planes and bit count; not needed)
//   image         either a PNG file, or a BITMAPINFOHEADER whose height counts two bitmaps,
//                 a colour table (1/4/8 bits), the colour rows (XOR bitmap) and a 1-bit AND
//                 mask, both bottom-up and padded to 4 bytes.
// The sizes written in the directory are often wrong; the image's own header decides.
// Of the entries, the 32 × 32 one with the most colours is shown, else the nearest size
// scaled to 32 × 32. When that entry is damaged, the next best readable one is shown.
#pragma once

#include "bmp/Graphic.h"
#include "bmp/Handles.h"

#include <cstdint>
#include <memory>
#include <vector>

inline constexpr int kStandardIconSize = 32;

class TIcon : public TGraphic {
public:
  int Width() const override { return pixels_ ? kStandardIconSize : 0; }
  int Height() const override { return pixels_ ? kStandardIconSize : 0; }

  // Raises EInvalidGraphic naming what is wrong; the icon is unchanged then.
  void LoadFromStream(TStream& stream) override;
  // Writes the icon file exactly as it was read.
  void SaveToStream(TStream& stream) const override;
  // Drawn with its mask (or alpha) over what the painter's device holds; pixels whose mask
  // says "invert" are XORed with it, as the AND/XOR pair of an icon asks.
  void Draw(TDrawTarget& target, const TRect& rect) const override;
  TBitmap RenderOnWhite() const override;
  std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TIcon>(*this); }

  HICON Handle() const { return HICON{this}; }

private:
  struct Pixels; // the chosen entry at 32 × 32 and the XOR part of its masked pixels
  std::vector<uint8_t> data_;
  std::shared_ptr<const Pixels> pixels_; // shared by copies: never changed once decoded
};
