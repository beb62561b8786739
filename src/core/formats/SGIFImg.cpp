#include "formats/SGIFImg.h"

#include "formats/Progress.h"
#include "io/ByteReader.h"
#include "io/Streams.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int kTableSize = 4096;
constexpr int kMaxCodeSize = 12;
constexpr size_t kHeaderSize = 13;
constexpr size_t kDescriptorSize = 9;

size_t ColorTableBytes(uint8_t packed) {
  return size_t{3} << ((packed & 7) + 1);
}

// Passes over data sub-blocks up to and including the zero size byte; a missing size byte
// ends them as a zero would.
void SkipSubBlocks(std::span<const uint8_t> bytes, size_t& pos) {
  while (pos < bytes.size()) {
    size_t length = bytes[pos++];
    if (length == 0) return;
    pos = std::min(bytes.size(), pos + length);
  }
}

void Skip(std::span<const uint8_t> bytes, size_t& pos, size_t count) {
  pos = std::min(bytes.size(), pos + count);
}

void ReadExtension(std::span<const uint8_t> bytes, size_t& pos) {
  uint8_t label = pos < bytes.size() ? bytes[pos++] : 0;
  switch (label) {
  case 0x01:
    Skip(bytes, pos, 13);
    break; // plain text: block size and text-grid fields
  case 0xF9:
    Skip(bytes, pos, 6);
    return; // graphic control, its terminator included
  case 0xFF:
    Skip(bytes, pos, 12);
    break; // application: block size, identifier, code
  default:
    break;
  }
  SkipSubBlocks(bytes, pos);
}

// Takes LZW codes from the data sub-blocks, least-significant bit first.
class CodeReader {
public:
  CodeReader(std::span<const uint8_t> bytes, size_t& pos) : bytes_(bytes), pos_(pos) {}

  // False when the data ends before the code is whole: a zero-length sub-block, a missing
  // size byte, or a sub-block shorter than its size.
  bool Next(int size, int& code) {
    while (bits_ < size) {
      if (blockLeft_ == 0) {
        if (pos_ >= bytes_.size()) return false;
        size_t length = bytes_[pos_++];
        if (length == 0 || bytes_.size() - pos_ < length) return false;
        blockLeft_ = length;
      }
      buffer_ |= uint32_t{bytes_[pos_++]} << bits_;
      bits_ += 8;
      --blockLeft_;
    }
    code = static_cast<int>(buffer_ & ((1u << size) - 1));
    buffer_ >>= size;
    bits_ -= size;
    return true;
  }

private:
  std::span<const uint8_t> bytes_;
  size_t& pos_;
  size_t blockLeft_ = 0;
  uint32_t buffer_ = 0;
  int bits_ = 0;
};

// Puts decoded pixels into the rows of the image, in interlace order when asked. Pixels that
// belong to no row of the image (beyond the height, or after the fourth pass) go nowhere.
class RowPlacer {
public:
  RowPlacer(TBitmap& image, bool interlaced)
      : image_(image), width_(static_cast<size_t>(image.Width())), height_(image.Height()),
        interlaced_(interlaced), done_(static_cast<size_t>(image.Height()), false) {}

  bool Active() const { return pass_ < 4 && row_ < height_; }

  void Put(const uint8_t* pixels, size_t count) {
    while (count > 0 && Active()) {
      uint8_t* target = image_.ScanLine(row_);
      size_t take = std::min(count, width_ - column_);
      std::memcpy(target + column_, pixels, take);
      column_ += take;
      pixels += take;
      count -= take;
      if (column_ == width_) NextRow();
    }
  }

  // A row that the data never completed (the partial one included) is palette index 0.
  void FillMissingRows() {
    for (int y = 0; y < height_; ++y)
      if (!done_[static_cast<size_t>(y)]) std::memset(image_.ScanLine(y), 0, width_);
  }

private:
  static constexpr int kPassStep[4] = {8, 8, 4, 2};
  static constexpr int kPassFirst[4] = {0, 4, 2, 1};

  void NextRow() {
    done_[static_cast<size_t>(row_)] = true;
    ReportDecoderProgress();
    column_ = 0;
    if (!interlaced_) {
      ++row_;
      return;
    }
    row_ += kPassStep[pass_];
    while (row_ >= height_ && ++pass_ < 4)
      row_ = kPassFirst[pass_];
  }

  TBitmap& image_;
  size_t width_;
  int height_;
  bool interlaced_;
  std::vector<bool> done_;
  size_t column_ = 0;
  int row_ = 0;
  int pass_ = 0;
};

} // namespace

void TSGIF::LoadGIF(TStream& source) {
  TMemoryStream holder;
  LoadGIF(WholeStream(source, holder));
}

void TSGIF::LoadGIF(std::span<const uint8_t> bytes) {
  ReadFile(bytes);
}

void TSGIF::WriteBitmapFile(TStream& target) const {
  WriteBmp(image_, target);
  target.SetPosition(0);
}

void TSGIF::ReadFile(std::span<const uint8_t> bytes) {
  if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), "GIF", 3) != 0)
    RaiseGIFError(TGIFError::NotGif);
  size_t pos = kHeaderSize;
  // Entries beyond the table read stay black; a local table replaces all 256 entries.
  auto readColorTable = [&](uint8_t packed) {
    size_t length = ColorTableBytes(packed);
    if (bytes.size() - pos < length) return false;
    palette_.fill(0);
    std::memcpy(palette_.data(), bytes.data() + pos, length);
    pos += length;
    return true;
  };
  if ((bytes[10] & 0x80) && !readColorTable(bytes[10])) RaiseGIFError(TGIFError::BadRead);

  for (;;) {
    if (pos >= bytes.size()) RaiseGIFError(TGIFError::BadFile);
    uint8_t introducer = bytes[pos++];
    if (introducer == 0x2C) break;
    if (introducer == 0x21)
      ReadExtension(bytes, pos);
    else if (introducer != 0x00)
      RaiseGIFError(TGIFError::BadFile); // the trailer or garbage before any image
  }

  if (bytes.size() - pos < kDescriptorSize) RaiseGIFError(TGIFError::BadRead);
  const uint8_t* descriptor = bytes.data() + pos;
  pos += kDescriptorSize;
  imageWidth_ = static_cast<int16_t>(LoadU16LE(descriptor + 4));
  imageHeight_ = static_cast<int16_t>(LoadU16LE(descriptor + 6));
  uint8_t packed = descriptor[8];
  if ((packed & 0x80) && !readColorTable(packed)) RaiseGIFError(TGIFError::BadRead);
  if (pos == bytes.size()) RaiseGIFError(TGIFError::BadFile);
  if (imageWidth_ <= 0 || imageHeight_ <= 0) RaiseGIFError(TGIFError::BadFile);
  if (imageWidth_ > kMaxWidth) RaiseGIFError(TGIFError::TooWide);
  int minCodeSize = bytes[pos++];
  DecodeImage(bytes, pos, minCodeSize, packed);
}

void TSGIF::DecodeImage(std::span<const uint8_t> bytes, size_t& pos, int minCodeSize,
                        uint8_t packed) {
  if (minCodeSize < 2 || minCodeSize > 8) RaiseGIFError(TGIFError::BadSymbolSize);

  TBitmap image;
  image.Allocate(imageWidth_, imageHeight_, TPixelFormat::pf8bit);
  std::vector<TRGBQuad> colors(256);
  for (size_t i = 0; i < colors.size(); ++i)
    colors[i] = {palette_[3 * i + 2], palette_[3 * i + 1], palette_[3 * i], 0};
  image.SetPalette(std::move(colors));
  RowPlacer placer(image, (packed & 0x40) != 0);

  const int clearCode = 1 << minCodeSize;
  const int endCode = clearCode + 1;
  int freeCode = clearCode + 2;
  int codeSize = minCodeSize + 1;
  int maxCode = 1 << codeSize;
  int oldCode = -1;
  int firstChar = -1;
  auto prefix = std::make_unique<uint16_t[]>(kTableSize);
  auto suffix = std::make_unique<uint8_t[]>(kTableSize);
  // First pixel of every string, so that strings past the last row need no expanding.
  auto first = std::make_unique<uint8_t[]>(kTableSize);
  auto stack = std::make_unique<uint8_t[]>(kTableSize);
  for (int i = 0; i < clearCode; ++i)
    suffix[i] = first[i] = static_cast<uint8_t>(i);

  CodeReader reader(bytes, pos);
  for (;;) {
    int code = 0;
    if (!reader.Next(codeSize, code)) RaiseGIFError(TGIFError::UnexpectedEnd);
    if (code == endCode) break;
    if (code > freeCode) RaiseGIFError(TGIFError::BadLZWCode);
    if (code == clearCode) {
      freeCode = clearCode + 2;
      codeSize = minCodeSize + 1;
      maxCode = 1 << codeSize;
      oldCode = firstChar = -1;
      continue;
    }
    const int inCode = code;
    if (code == freeCode && oldCode < 0) RaiseGIFError(TGIFError::BadFirstCode);
    if (placer.Active()) {
      // The string is built backwards from the end of the stack, so it ends up in order.
      size_t top = kTableSize;
      if (code == freeCode) {
        stack[--top] = static_cast<uint8_t>(firstChar);
        code = oldCode;
      }
      // Every entry's prefix is a smaller code, so the walk ends well inside the stack.
      while (code >= clearCode && top > 1) {
        stack[--top] = suffix[code];
        code = prefix[code];
      }
      firstChar = code;
      stack[--top] = static_cast<uint8_t>(code);
      placer.Put(stack.get() + top, kTableSize - top);
    } else {
      firstChar = first[code == freeCode ? oldCode : code];
    }
    if (freeCode < kTableSize && oldCode >= 0) {
      prefix[freeCode] = static_cast<uint16_t>(oldCode);
      suffix[freeCode] = static_cast<uint8_t>(firstChar);
      first[freeCode] = first[oldCode];
      ++freeCode;
      if (freeCode >= maxCode && codeSize < kMaxCodeSize) maxCode = 1 << ++codeSize;
    }
    oldCode = inCode;
  }

  placer.FillMissingRows();
  image.ClearRowPadding();
  image_ = std::move(image);
}

TBitmap DecodeGif(TStream& source) {
  TSGIF decoder;
  decoder.LoadGIF(source);
  return std::move(decoder.Image());
}

TBitmap DecodeGif(std::span<const uint8_t> bytes) {
  TSGIF decoder;
  decoder.LoadGIF(bytes);
  return std::move(decoder.Image());
}

void TSGIFBitmap::LoadFromStream(TStream& stream) {
  static_cast<TBitmap&>(*this) = DecodeGif(stream);
}
