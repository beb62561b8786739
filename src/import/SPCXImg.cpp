#include "import/SPCXImg.h"

#include "graphics/ByteReader.h"
#include "graphics/Limits.h"
#include "graphics/Streams.h"
#include "import/Progress.h"

#include <bit>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kHeaderSize = 128;
constexpr size_t kEndPaletteSize = 769; // marker byte 12 and 256 × red, green, blue
constexpr uint8_t kEndPaletteMarker = 12;
constexpr size_t kMaxRun = 63;
static_assert(std::endian::native == std::endian::little, "literals are found in a word");

// The run-length decoder. Its state between scanlines is the part of the last run that
// passed the end of the previous scanline.
class RunDecoder {
public:
  explicit RunDecoder(std::span<const uint8_t> data) : data_(data) {}

  // Decodes one scanline of `length` bytes into `line`, which must have room for
  // max(length, kMaxRun) + kMaxRun + 1 bytes. Bytes past `length` are left 0.
  void ReadLine(uint8_t* line, size_t length) {
    size_t count = carry_;
    std::memset(line, last_, count);
    while (count < length) {
      if (pos_ >= data_.size()) {
        // Data missing at the end decodes as literal zeros.
        std::memset(line + count, 0, length - count);
        last_ = 0;
        count = length;
        break;
      }
      // Literals (bytes below 0xC0) eight at a time, while the input and the line have room.
      if (data_.size() - pos_ >= 8 && length - count >= 8) {
        uint64_t word; // little-endian: the lowest bits are the first byte
        std::memcpy(&word, data_.data() + pos_, 8);
        const uint64_t runBytes = word & (word << 1) & 0x8080808080808080ull;
        const size_t literals = runBytes ? std::countr_zero(runBytes) / 8 : 8;
        if (literals > 0) {
          std::memcpy(line + count, data_.data() + pos_, 8);
          pos_ += literals;
          count += literals;
          last_ = data_[pos_ - 1];
          continue;
        }
      }
      uint8_t byte = data_[pos_++];
      if (byte >= 0xC0) {
        size_t run = byte & 0x3F;
        last_ = pos_ < data_.size() ? data_[pos_++] : 0;
        // A run is at most 63 bytes: 64 are stored, and what lies past the line is cleared.
        const uint64_t pattern = last_ * 0x0101010101010101ull;
        for (size_t i = 0; i < kMaxRun + 1; i += 8)
          std::memcpy(line + count + i, &pattern, 8);
        count += run;
      } else {
        last_ = byte;
        line[count++] = byte;
      }
    }
    carry_ = count - length;
    std::memset(line + length, 0, kMaxRun + 1);
  }

private:
  std::span<const uint8_t> data_;
  size_t pos_ = 0;
  size_t carry_ = 0;
  uint8_t last_ = 0;
};

int16_t I16At(std::span<const uint8_t> bytes, size_t offset) {
  return static_cast<int16_t>(LoadU16LE(bytes.data() + offset));
}

} // namespace

void TSPCX256::RaisePCXError(int number) {
  switch (number) {
  case 1:
    throw EPCXException("This is not a valid PCX image file.");
  case 2:
    throw EPCXException("This is not a 16, 256 or 24bit color PCX image file.");
  case 3:
    throw EPCXException(
        "PCX file is in wrong format - It must be an EGA, VGA, MCGA or 24bit image.");
  case 4:
    throw EPCXException("This PCX image is too large to read.");
  default:
    throw EPCXException("This PCX image file has an invalid header: its width or height is 0 "
                        "or negative.");
  }
}

void TSPCX256::LoadPCX(TStream& source) {
  TMemoryStream holder;
  LoadPCX(WholeStream(source, holder));
}

void TSPCX256::LoadPCX(std::span<const uint8_t> bytes) {
  if (bytes.size() < kHeaderSize || bytes[0] != 10 || bytes[2] != 1) RaisePCXError(1);
  const int bitsPerPixel = bytes[3];
  const int planes = bytes[65];
  if (planes == 3 && bitsPerPixel == 8)
    colorMode_ = TColorMode::cm24Bit;
  else if (planes == 4 && bitsPerPixel == 1)
    colorMode_ = TColorMode::cm16Colors;
  else if (planes == 1 && (bitsPerPixel == 1 || bitsPerPixel == 2))
    RaisePCXError(2);
  else if (planes == 1 && bitsPerPixel == 8)
    colorMode_ = TColorMode::cm256Colors;
  else
    RaisePCXError(3);

  const int width = I16At(bytes, 8) - I16At(bytes, 4) + 1;
  const int height = I16At(bytes, 10) - I16At(bytes, 6) + 1;
  if (width <= 0 || height <= 0) RaisePCXError(5);
  const size_t planeBytes = LoadU16LE(bytes.data() + 66);
  const size_t lineLength = size_t(planes) * planeBytes;
  const size_t pixelBytes = colorMode_ == TColorMode::cm24Bit      ? 3 * size_t(width)
                            : colorMode_ == TColorMode::cm16Colors ? 8 * planeBytes
                                                                   : size_t(width);
  if (lineLength > kMaxLineBytes || pixelBytes > kMaxLineBytes || width > kMaxLineBytes)
    RaisePCXError(4);

  TBitmap image;
  try {
    switch (colorMode_) {
    case TColorMode::cm16Colors:
      image.Allocate(width, height, TPixelFormat::pf4bit);
      break;
    case TColorMode::cm256Colors:
      image.Allocate(width, height, TPixelFormat::pf8bit);
      break;
    case TColorMode::cm24Bit:
      image.Allocate(width, height, TPixelFormat::pf24bit);
      break;
    }
  } catch (const EInvalidGraphic&) {
    RaisePCXError(4);
  }

  auto paletteFrom = [](const uint8_t* rgb, size_t count) {
    std::vector<TRGBQuad> colors(count);
    if (rgb)
      for (size_t i = 0; i < count; ++i)
        colors[i] = {rgb[3 * i + 2], rgb[3 * i + 1], rgb[3 * i], 0};
    return colors;
  };
  if (colorMode_ == TColorMode::cm16Colors) {
    image.SetPalette(paletteFrom(bytes.data() + 16, 16));
  } else if (colorMode_ == TColorMode::cm256Colors) {
    size_t marker = bytes.size() - kEndPaletteSize;
    bool present =
        bytes.size() >= kHeaderSize + kEndPaletteSize && bytes[marker] == kEndPaletteMarker;
    image.SetPalette(paletteFrom(present ? bytes.data() + marker + 1 : nullptr, 256));
  }

  RunDecoder decoder(bytes.subspan(kHeaderSize));
  std::vector<uint8_t> line(kMaxLineBytes + 2 * kMaxRun, 0);
  const uint8_t* red = line.data();
  const uint8_t* green = red + planeBytes;
  const uint8_t* blue = green + planeBytes;
  for (int y = 0; y < height; ++y) {
    decoder.ReadLine(line.data(), lineLength);
    uint8_t* row = image.ScanLine(y);
    switch (colorMode_) {
    case TColorMode::cm256Colors:
      std::memcpy(row, line.data(), size_t(width));
      break;
    case TColorMode::cm24Bit:
      for (size_t x = 0; x < size_t(width); ++x) {
        row[3 * x] = blue[x];
        row[3 * x + 1] = green[x];
        row[3 * x + 2] = red[x];
      }
      break;
    case TColorMode::cm16Colors:
      // Bit 7 − x mod 8 of byte x / 8 of plane p gives bit p of pixel x.
      for (size_t x = 0; x < size_t(width); ++x) {
        uint8_t value = 0;
        size_t at = x >> 3;
        if (at < planeBytes)
          for (size_t p = 0; p < 4; ++p)
            value |= static_cast<uint8_t>(((line[p * planeBytes + at] >> (7 - (x & 7))) & 1) << p);
        if (x & 1)
          row[x >> 1] |= value;
        else
          row[x >> 1] = static_cast<uint8_t>(value << 4);
      }
      break;
    }
    ReportDecoderProgress();
  }
  image.ClearRowPadding();
  image_ = std::move(image);
}

void TSPCX256::CopyBitmapFile(TMemoryStream& target) const {
  target.Clear();
  WriteBmp(image_, target);
  target.SetPosition(0);
}

void TSPCXBitmap::LoadFromStream(TStream& stream) {
  TSPCX256 decoder;
  decoder.LoadPCX(stream);
  static_cast<TBitmap&>(*this) = std::move(decoder.Image());
}
