// TBitmap: a device-independent bitmap that keeps the pixel format it was read with.
//
// Pixels are stored as a BMP file stores them: rows bottom-up, each padded to 4 bytes, in the
// pixel format's own layout (1/4/8-bit palette indices, 16-bit 5-5-5 or 5-6-5, 24-bit B,G,R,
// 32-bit B,G,R,X/A). Reading and writing uncompressed BMP pixel data is then one copy.
#pragma once

#include "bmp/Color.h"
#include "bmp/Graphic.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };

struct TRGBQuad {
  uint8_t rgbBlue = 0, rgbGreen = 0, rgbRed = 0, rgbReserved = 0;
  friend bool operator==(const TRGBQuad&, const TRGBQuad&) = default;
};

int BitsPerPixel(TPixelFormat format);

class TMemoryStream;

class TBitmap : public TGraphic {
public:
  TBitmap() = default;
  TBitmap(const TBitmap& other);
  TBitmap& operator=(const TBitmap& other);
  // Copies and moves carry the image only, never the change listener.
  TBitmap(TBitmap&& other) noexcept { TakeImage(other); }
  TBitmap& operator=(TBitmap&& other) noexcept;
  ~TBitmap() override = default;

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  // Resizing keeps the pixels that stay inside and makes new ones white.
  void SetWidth(int width) { SetSize(width, height_); }
  void SetHeight(int height) { SetSize(width_, height); }
  void SetSize(int width, int height);

  // pfDevice is reported as pf24bit once the bitmap has a size.
  TPixelFormat PixelFormat() const { return format_; }
  // Converts the pixels to the new format (through RGB; to palette formats by nearest entry).
  void SetPixelFormat(TPixelFormat format);
  int BitsPerPixel() const { return ::BitsPerPixel(format_); }

  // Colour table of a 1/4/8-bit bitmap; may hold fewer than 2^bpp entries (the rest black).
  const std::vector<TRGBQuad>& Palette() const { return palette_; }
  void SetPalette(std::vector<TRGBQuad> palette);

  // True when a 32-bit bitmap's fourth byte is alpha rather than unused.
  bool HasAlpha() const { return alpha_; }
  // Whether the fourth byte of some pixel of a 32-bit bitmap is not 0: a reader gives alpha
  // only then, as a picture whose alpha is all 0 was most likely never meant to have any.
  bool AnyAlphaByteSet() const;
  void SetHasAlpha(bool alpha) { alpha_ = alpha; }

  int64_t RowStride() const { return stride_; }
  // Row `y` counted from the top.
  uint8_t* ScanLine(int y) { return bits_.get() + (int64_t{height_} - 1 - y) * stride_; }
  const uint8_t* ScanLine(int y) const {
    return bits_.get() + (int64_t{height_} - 1 - y) * stride_;
  }
  // All rows bottom-up, exactly as BMP pixel data.
  std::span<uint8_t> Bits() { return {bits_.get(), static_cast<size_t>(stride_ * height_)}; }
  std::span<const uint8_t> Bits() const {
    return {bits_.get(), static_cast<size_t>(stride_ * height_)};
  }

  // Replaces the image by a width × height bitmap of `format` whose pixels are undefined
  // (for readers that fill every row), or all bytes 0 when `zeroed`. Checks the limits first.
  void Allocate(int width, int height, TPixelFormat format, bool zeroed = false);
  // As Allocate, with `memory` (from malloc, rows in place) as the pixels; the bitmap owns it
  // from then on, also when the limits refuse the size.
  void AllocateFrom(int width, int height, TPixelFormat format, uint8_t* memory);

  // Zeroes the bytes and bits of every row beyond its last pixel, so that the writer's bytes
  // depend on the pixels alone. Readers call it after filling the rows.
  void ClearRowPadding();

  TColor GetPixel(int x, int y) const;
  // Row `y` (from the top) as 24-bit B,G,R pixels into `out`; alpha is dropped.
  void ExpandRowTo24(int y, uint8_t* out) const;
  void SetPixel(int x, int y, TColor color);
  void Fill(TColor color);

  // The BMP reader (from the stream's current position) and the BMP writer.
  void LoadFromStream(TStream& stream) override;
  // Reads the BMP image that `image` holds alone (a decoder's output), taking its memory over
  // where the rows can stay where they are; `image` may be left empty.
  void LoadFromBmpImage(TMemoryStream& image);
  void SaveToStream(TStream& stream) const override;

  void Draw(TDrawTarget& target, const TRect& rect) const override;
  // Opaque pixels as they are; alpha blended over white as a painter blends it.
  TBitmap RenderOnWhite() const override;
  std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TBitmap>(*this); }
  void Assign(const TBitmap& other) { *this = other; }

  // Tells listeners that the pixels were changed from outside.
  void Modified() const { Changed(); }

private:
  struct FreeDeleter {
    void operator()(uint8_t* p) const;
  };
  uint8_t NearestIndex(TColor color) const;
  void TakeImage(TBitmap& from) noexcept;
  // Makes `memory` (already checked against the limits) the pixels of a width × height image.
  void TakeStorage(int width, int height, TPixelFormat format, uint8_t* memory);

  int width_ = 0;
  int height_ = 0;
  TPixelFormat format_ = TPixelFormat::pfDevice;
  std::vector<TRGBQuad> palette_;
  bool alpha_ = false;
  int64_t stride_ = 0;
  std::unique_ptr<uint8_t[], FreeDeleter> bits_;
};

// The BMP image format. ReadBmp decodes every published variant from memory; `consumed`
// receives how many bytes the image occupied. WriteBmp writes the fixed layout.
// When `bytes` are the whole of `owner`'s memory and the rows can be used where they lie, the
// bitmap takes that memory over instead of copying it, and `owner` is left empty.
void ReadBmp(std::span<const uint8_t> bytes, TBitmap& target, size_t* consumed = nullptr,
             TMemoryStream* owner = nullptr);
void WriteBmp(const TBitmap& bitmap, TStream& stream);
// What the writer puts before the pixel rows: the headers, masks and colour table. `alpha`
// matters for pf32bit only: the BITMAPV5HEADER that keeps the fourth byte as alpha.
std::vector<uint8_t> BmpHeadBytes(const TBitmap& bitmap);
std::vector<uint8_t> BmpHeadBytes(int width, int height, TPixelFormat format,
                                  const std::vector<TRGBQuad>& palette, bool alpha = false);

// A BMP image whose rows the reader keeps as they are (uncompressed, bottom-up, 1, 4 or 8 bits
// with a whole colour table, 16, 24 or 32 bits): its rows can go from the file to the writer
// piece by piece, without the picture ever being in memory.
struct TPlainBmpRows {
  int width = 0, height = 0, bitsPerPixel = 0;
  TPixelFormat format = TPixelFormat::pfDevice; // what the reader makes of them
  std::vector<TRGBQuad> palette;
  uint32_t pixelOffset = 0; // where the rows start in the image
  int64_t stride = 0;
  std::vector<uint8_t> writerHead; // what the writer puts before those rows
  // 32-bit rows with an alpha channel. The reader keeps it, and the writer writes writerHead
  // (the alpha header), only when some alpha byte is not 0; otherwise it writes OpaqueHead().
  bool alpha = false;
  std::vector<uint8_t> OpaqueHead() const;
  // Clears what the writer would not keep (the bits and bytes after each row's last pixel)
  // in `count` bytes of rows that start `offset` bytes after the first row's start.
  void ClearPadding(uint8_t* bytes, uint64_t offset, size_t count) const;
};
// `head` holds the image's first bytes, `imageBytes` is its whole length. Checks the header as
// ReadBmp does and throws its errors; returns nullopt for an image that ReadBmp would convert
// or check pixel by pixel, or whose rows start beyond `head`.
std::optional<TPlainBmpRows> PlainBmpRows(std::span<const uint8_t> head, uint64_t imageBytes);
// The same for a caller that reads the whole image when the answer is no: nullopt also for a
// header that ReadBmp refuses, whose error that reading then gives in its own order.
std::optional<TPlainBmpRows> AcceptedPlainBmpRows(std::span<const uint8_t> head,
                                                  uint64_t imageBytes);
