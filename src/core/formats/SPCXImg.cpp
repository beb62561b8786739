#include "formats/SPCXImg.h"

#include "formats/Progress.h"
#include "io/ByteReader.h"
#include "io/Limits.h"
#include "io/Streams.h"

#include <algorithm>
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

void TSPCX256::LoadPCX(TStream& source) {
  TMemoryStream holder;
  LoadPCX(WholeStream(source, holder));
}

namespace {

// The standard EGA colours, for pictures whose header carries no palette.
constexpr uint8_t kEgaPalette[48] = {
    0x00, 0x00, 0x00, 0x00, 0x00, 0xAA, 0x00, 0xAA, 0x00, 0x00, 0xAA, 0xAA, 0xAA, 0x00, 0x00, 0xAA,
    0x00, 0xAA, 0xAA, 0x55, 0x00, 0xAA, 0xAA, 0xAA, 0x55, 0x55, 0x55, 0x55, 0x55, 0xFF, 0x55, 0xFF,
    0x55, 0x55, 0xFF, 0xFF, 0xFF, 0x55, 0x55, 0xFF, 0x55, 0xFF, 0xFF, 0xFF, 0x55, 0xFF, 0xFF, 0xFF};
// CGA's colour palette 1 at high intensity on black.
constexpr uint8_t kCgaPalette[12] = {0x00, 0x00, 0x00, 0x55, 0xFF, 0xFF,
                                     0xFF, 0x55, 0xFF, 0xFF, 0xFF, 0xFF};
constexpr uint8_t kBlackWhite[6] = {0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF};

std::vector<TRGBQuad> PaletteFrom(const uint8_t* rgb, size_t count, size_t size) {
  std::vector<TRGBQuad> colors(size);
  for (size_t i = 0; i < count; ++i)
    colors[i] = {rgb[3 * i + 2], rgb[3 * i + 1], rgb[3 * i], 0};
  return colors;
}

bool AllZero(const uint8_t* bytes, size_t count) {
  return std::all_of(bytes, bytes + count, [](uint8_t b) { return b == 0; });
}

// The colours of an indexed picture of `bits` bits per pixel (see the kinds above).
std::vector<TRGBQuad> IndexedPalette(std::span<const uint8_t> bytes, int bits) {
  const uint8_t* header = bytes.data() + 16;
  if (bits == 8) {
    const size_t marker = bytes.size() - kEndPaletteSize;
    if (bytes.size() >= kHeaderSize + kEndPaletteSize && bytes[marker] == kEndPaletteMarker)
      return PaletteFrom(bytes.data() + marker + 1, 256, 256);
    std::vector<TRGBQuad> grey(256);
    for (size_t i = 0; i < grey.size(); ++i)
      grey[i] = {uint8_t(i), uint8_t(i), uint8_t(i), 0};
    return grey;
  }
  const size_t count = size_t{1} << bits;
  if (bits == 1) {
    // Old DOS programs left a 16-colour palette in the header of monochrome scans.
    const bool leftovers = !AllZero(header + 6, 42) || std::memcmp(header, header + 3, 3) == 0;
    return PaletteFrom(leftovers ? kBlackWhite : header, 2, count);
  }
  const int version = bytes[1];
  if (version == 0 || version == 3 || AllZero(header, 48))
    return PaletteFrom(bits == 2 ? kCgaPalette : kEgaPalette, count, count);
  return PaletteFrom(header, count, count);
}

} // namespace

void TSPCX256::LoadPCX(std::span<const uint8_t> bytes) {
  if (bytes.size() < kHeaderSize || bytes[0] != 10 || bytes[2] != 1)
    RaisePCXError(TPCXError::NotPcx);
  const int depth = bytes[3];
  const int planes = bytes[65];
  if (depth == 8 && (planes == 3 || planes == 4))
    colorMode_ = TColorMode::cm24Bit;
  else if (planes == 1 && depth == 8)
    colorMode_ = TColorMode::cm256Colors;
  else if ((planes == 1 && (depth == 1 || depth == 2 || depth == 4)) ||
           (depth == 1 && planes >= 2 && planes <= 4))
    colorMode_ = TColorMode::cm16Colors;
  else if (planes == 1)
    RaisePCXError(TPCXError::UnsupportedDepth);
  else
    RaisePCXError(TPCXError::UnsupportedPlanes);

  const int width = I16At(bytes, 8) - I16At(bytes, 4) + 1;
  const int height = I16At(bytes, 10) - I16At(bytes, 6) + 1;
  if (width <= 0 || height <= 0) RaisePCXError(TPCXError::BadSize);
  const size_t planeBytes = LoadU16LE(bytes.data() + 66);
  const size_t lineLength = size_t(planes) * planeBytes;
  const size_t pixelBytes = colorMode_ == TColorMode::cm24Bit ? 3 * size_t(width) : size_t(width);
  if (lineLength > kMaxLineBytes || pixelBytes > kMaxLineBytes) RaisePCXError(TPCXError::TooLarge);

  TBitmap image;
  try {
    image.Allocate(width, height,
                   colorMode_ == TColorMode::cm24Bit      ? TPixelFormat::pf24bit
                   : colorMode_ == TColorMode::cm16Colors ? TPixelFormat::pf4bit
                                                          : TPixelFormat::pf8bit);
  } catch (const EInvalidGraphic&) {
    RaisePCXError(TPCXError::TooLarge);
  }
  if (colorMode_ != TColorMode::cm24Bit) image.SetPalette(IndexedPalette(bytes, planes * depth));

  RunDecoder decoder(bytes.subspan(kHeaderSize));
  std::vector<uint8_t> line(kMaxLineBytes + 2 * kMaxRun, 0);
  const uint8_t* red = line.data();
  const uint8_t* green = red + planeBytes;
  const uint8_t* blue = green + planeBytes;
  const size_t mask = (1u << depth) - 1;
  const size_t perByte = 8 / size_t(depth);
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
      // Pixels past a plane's bytes (a width larger than the lines hold) are 0.
      for (size_t x = 0; x < size_t(width); ++x) {
        const size_t at = x / perByte;
        const int shift = 8 - depth * int(x % perByte + 1);
        uint8_t value = 0;
        if (at < planeBytes)
          for (size_t p = 0; p < size_t(planes); ++p)
            value |= uint8_t(((line[p * planeBytes + at] >> shift) & mask) << (p * size_t(depth)));
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

TBitmap DecodePcx(TStream& source) {
  TSPCX256 decoder;
  decoder.LoadPCX(source);
  return std::move(decoder.Image());
}

TBitmap DecodePcx(std::span<const uint8_t> bytes) {
  TSPCX256 decoder;
  decoder.LoadPCX(bytes);
  return std::move(decoder.Image());
}

void TSPCXBitmap::LoadFromStream(TStream& stream) {
  static_cast<TBitmap&>(*this) = DecodePcx(stream);
}
