// GIF reader: the first image of a GIF 87a or 89a file, as an 8-bit bitmap with 256 palette
// entries whatever the file's colour table size.
//
// File layout (little-endian):
//   header      "GIF" + 3 version bytes (not checked), u16 screen width, u16 screen height,
//               u8 packed (bit 7: global colour table, bits 0-2: table size 2^(n+1)),
//               u8 background index, u8 aspect ratio                       (13 bytes)
//   [global colour table: 3 × 2^(n+1) bytes, red, green, blue]
//   blocks      0x21 label sub-blocks... : extension (graphic control 0xF9 is read as exactly
//               6 bytes; plain text 0x01 and application 0xFF start with a fixed part);
//               0x00: skipped; 0x2C: image descriptor; anything else: no image (Bad File)
//   descriptor  u16 left, u16 top, u16 width, u16 height (signed), u8 packed
//               (bit 7: local colour table replacing the global one, bit 6: interlaced)
//   [local colour table]
//   u8 LZW minimum code size (2..8), then data sub-blocks: u8 n, n bytes; codes are packed
//   least-significant bit first across bytes and sub-blocks.
//
// Palette entries beyond the table read are black. Rows that the data never completes are
// palette index 0; rows beyond the height are left out.
#pragma once

#include "blz/UniBmp.h"
#include "formats/GifErrors.h"

#include <array>
#include <cstdint>
#include <span>

// The decoder: one object per load.
class TSGIF {
public:
  // The widest row the decoder accepts.
  static constexpr int kMaxWidth = 8001;

  // Reads the first image of the GIF at offset 0 of `source`; raises EGIFException.
  void LoadGIF(TStream& source);
  // The same from bytes held in memory.
  void LoadGIF(std::span<const uint8_t> bytes);
  // Writes the decoded image as a BMP image and sets the stream's position back to 0.
  void WriteBitmapFile(TStream& target) const;

  // The decoded image; valid after a successful LoadGIF.
  TBitmap& Image() { return image_; }

private:
  void ReadFile(std::span<const uint8_t> bytes);
  void DecodeImage(std::span<const uint8_t> bytes, size_t& pos, int minCodeSize, uint8_t packed);

  std::array<uint8_t, 768> palette_{};
  int imageWidth_ = 0;
  int imageHeight_ = 0;
  TBitmap image_;
};

// The first image of the GIF at offset 0 of `source`, or held in `bytes`; raises
// EGIFException.
TBitmap DecodeGif(TStream& source);
TBitmap DecodeGif(std::span<const uint8_t> bytes);

class TSGIFBitmap : public TUniBitmap {
public:
  using TUniBitmap::TUniBitmap;
  // Decodes the GIF at offset 0 of the stream; on failure the bitmap keeps its picture.
  void LoadFromStream(TStream& stream) override;
  std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TSGIFBitmap>(*this); }
};
