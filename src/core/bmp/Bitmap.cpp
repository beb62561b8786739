#include "bmp/Bitmap.h"

#include "io/Exceptions.h"
#include "io/ImageMemory.h"
#include "io/Limits.h"
#include "io/Streams.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

int BitsPerPixel(TPixelFormat format) {
  switch (format) {
  case TPixelFormat::pf1bit:
    return 1;
  case TPixelFormat::pf4bit:
    return 4;
  case TPixelFormat::pf8bit:
    return 8;
  case TPixelFormat::pf15bit:
  case TPixelFormat::pf16bit:
    return 16;
  case TPixelFormat::pf32bit:
    return 32;
  case TPixelFormat::pfDevice:
  case TPixelFormat::pf24bit:
    return 24;
  }
  return 24;
}

namespace {

bool IsPaletted(TPixelFormat format) {
  return BitsPerPixel(format) <= 8;
}

// The nearest 8-bit value, as for every other channel width the BMP reader scales.
uint8_t Expand5(unsigned v) {
  return static_cast<uint8_t>((v * 255 + 15) / 31);
}
uint8_t Expand6(unsigned v) {
  return static_cast<uint8_t>((v * 255 + 31) / 63);
}

std::vector<TRGBQuad> DefaultPalette(TPixelFormat format) {
  std::vector<TRGBQuad> palette;
  auto add = [&](int r, int g, int b) {
    palette.push_back(
        {static_cast<uint8_t>(b), static_cast<uint8_t>(g), static_cast<uint8_t>(r), 0});
  };
  if (format == TPixelFormat::pf1bit) {
    add(0, 0, 0);
    add(255, 255, 255);
  } else if (format == TPixelFormat::pf4bit) {
    static constexpr int vga[16][3] = {
        {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},  {0, 0, 128}, {128, 0, 128},
        {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},    {0, 255, 0}, {255, 255, 0},
        {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
    for (auto& c : vga)
      add(c[0], c[1], c[2]);
  } else {
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b)
          add(r * 51, g * 51, b * 51);
    for (int i = 0; i < 40; ++i)
      add(i * 255 / 39, i * 255 / 39, i * 255 / 39);
  }
  return palette;
}

} // namespace

void TBitmap::FreeDeleter::operator()(uint8_t* p) const {
  std::free(p);
}

TBitmap::TBitmap(const TBitmap& other) : TGraphic() {
  *this = other;
}

TBitmap& TBitmap::operator=(const TBitmap& other) {
  if (this == &other) return *this;
  Allocate(other.width_, other.height_, other.format_);
  format_ = other.format_;
  palette_ = other.palette_;
  alpha_ = other.alpha_;
  if (stride_ * height_ > 0)
    std::memcpy(bits_.get(), other.bits_.get(), static_cast<size_t>(stride_ * height_));
  Changed();
  return *this;
}

void TBitmap::TakeImage(TBitmap& from) noexcept {
  width_ = std::exchange(from.width_, 0);
  height_ = std::exchange(from.height_, 0);
  format_ = std::exchange(from.format_, TPixelFormat::pfDevice);
  palette_ = std::move(from.palette_);
  from.palette_.clear();
  alpha_ = std::exchange(from.alpha_, false);
  stride_ = std::exchange(from.stride_, 0);
  bits_ = std::move(from.bits_);
}

TBitmap& TBitmap::operator=(TBitmap&& other) noexcept {
  if (this != &other) {
    TakeImage(other);
    Changed();
  }
  return *this;
}

void TBitmap::Allocate(int width, int height, TPixelFormat format, bool zeroed) {
  const int bpp = ::BitsPerPixel(format);
  limits::CheckBitmapLimits(width, height, bpp, "Bitmap");
  const int64_t bytes = limits::RowStride(width, bpp) * height;
  uint8_t* memory = nullptr;
  if (bytes > 0) {
    memory = static_cast<uint8_t*>(zeroed ? std::calloc(static_cast<size_t>(bytes), 1)
                                          : std::malloc(static_cast<size_t>(bytes)));
    if (!memory) throw EOutOfResources("Not enough memory for a bitmap");
    AdviseHugePages(memory, static_cast<size_t>(bytes));
  }
  TakeStorage(width, height, format, memory);
}

void TBitmap::AllocateFrom(int width, int height, TPixelFormat format, uint8_t* memory) {
  std::unique_ptr<uint8_t[], FreeDeleter> owned(memory);
  limits::CheckBitmapLimits(width, height, ::BitsPerPixel(format), "Bitmap");
  TakeStorage(width, height, format, owned.release());
}

void TBitmap::TakeStorage(int width, int height, TPixelFormat format, uint8_t* memory) {
  bits_.reset(memory);
  width_ = width;
  height_ = height;
  stride_ = limits::RowStride(width, ::BitsPerPixel(format));
  if (format == TPixelFormat::pfDevice && stride_ * height > 0) format = TPixelFormat::pf24bit;
  if (IsPaletted(format) != IsPaletted(format_)) palette_.clear();
  format_ = format;
  if (IsPaletted(format_) && palette_.empty()) palette_ = DefaultPalette(format_);
  if (format_ != TPixelFormat::pf32bit) alpha_ = false;
}

void TBitmap::SetSize(int width, int height) {
  if (width == width_ && height == height_) return;
  TBitmap old;
  old.TakeImage(*this);
  palette_ = old.palette_;
  format_ = old.format_;
  alpha_ = old.alpha_;
  Allocate(width, height, old.format_);
  Fill(clWhite); // also clears the row padding
  int rows = std::min(height, old.height_);
  int64_t rowBytes = (int64_t{std::min(width, old.width_)} * BitsPerPixel() + 7) / 8;
  // Copy the bytes of the pixels that stay; in a partial last byte of a low-depth row the
  // copy brings old bits beyond the old width, which are then made white pixel by pixel.
  for (int y = 0; y < rows; ++y) {
    std::memcpy(ScanLine(y), old.ScanLine(y), static_cast<size_t>(rowBytes));
    for (int x = old.width_; x < width && BitsPerPixel() < 8; ++x)
      SetPixel(x, y, clWhite);
  }
  ClearRowPadding();
  Changed();
}

void TBitmap::SetPalette(std::vector<TRGBQuad> palette) {
  if (palette.size() > 256) palette.resize(256);
  palette_ = std::move(palette);
  Changed();
}

uint8_t TBitmap::NearestIndex(TColor color) const {
  int best = 0;
  int bestDistance = 1 << 30;
  int limit = std::min<int>(static_cast<int>(palette_.size()), 1 << BitsPerPixel());
  for (int i = 0; i < limit; ++i) {
    int dr = palette_[i].rgbRed - GetRValue(color);
    int dg = palette_[i].rgbGreen - GetGValue(color);
    int db = palette_[i].rgbBlue - GetBValue(color);
    int d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {
      best = i;
      bestDistance = d;
      if (d == 0) break;
    }
  }
  return static_cast<uint8_t>(best);
}

TColor TBitmap::GetPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return clBlack;
  const uint8_t* row = ScanLine(y);
  auto fromPalette = [&](unsigned index) {
    if (index >= palette_.size()) return clBlack;
    const TRGBQuad& q = palette_[index];
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
  };
  switch (format_) {
  case TPixelFormat::pf1bit:
    return fromPalette(row[x >> 3] >> (7 - (x & 7)) & 1);
  case TPixelFormat::pf4bit:
    return fromPalette(row[x >> 1] >> ((x & 1) ? 0 : 4) & 15);
  case TPixelFormat::pf8bit:
    return fromPalette(row[x]);
  case TPixelFormat::pf15bit: {
    unsigned v = row[2 * x] | row[2 * x + 1] << 8;
    return RGB(Expand5(v >> 10 & 31), Expand5(v >> 5 & 31), Expand5(v & 31));
  }
  case TPixelFormat::pf16bit: {
    unsigned v = row[2 * x] | row[2 * x + 1] << 8;
    return RGB(Expand5(v >> 11 & 31), Expand6(v >> 5 & 63), Expand5(v & 31));
  }
  case TPixelFormat::pf32bit:
    return RGB(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
  case TPixelFormat::pfDevice:
  case TPixelFormat::pf24bit:
    return RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
  }
  return clBlack;
}

void TBitmap::SetPixel(int x, int y, TColor color) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  uint8_t* row = ScanLine(y);
  uint8_t r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
  switch (format_) {
  case TPixelFormat::pf1bit: {
    uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
    row[x >> 3] =
        static_cast<uint8_t>(NearestIndex(color) ? row[x >> 3] | bit : row[x >> 3] & ~bit);
    break;
  }
  case TPixelFormat::pf4bit: {
    int shift = (x & 1) ? 0 : 4;
    row[x >> 1] =
        static_cast<uint8_t>((row[x >> 1] & ~(15 << shift)) | NearestIndex(color) << shift);
    break;
  }
  case TPixelFormat::pf8bit:
    row[x] = NearestIndex(color);
    break;
  case TPixelFormat::pf15bit: {
    unsigned v = (r >> 3) << 10 | (g >> 3) << 5 | b >> 3;
    row[2 * x] = static_cast<uint8_t>(v);
    row[2 * x + 1] = static_cast<uint8_t>(v >> 8);
    break;
  }
  case TPixelFormat::pf16bit: {
    unsigned v = (r >> 3) << 11 | (g >> 2) << 5 | b >> 3;
    row[2 * x] = static_cast<uint8_t>(v);
    row[2 * x + 1] = static_cast<uint8_t>(v >> 8);
    break;
  }
  case TPixelFormat::pf32bit:
    row[4 * x] = b;
    row[4 * x + 1] = g;
    row[4 * x + 2] = r;
    row[4 * x + 3] = 255;
    break;
  case TPixelFormat::pfDevice:
  case TPixelFormat::pf24bit:
    row[3 * x] = b;
    row[3 * x + 1] = g;
    row[3 * x + 2] = r;
    break;
  }
}

void TBitmap::Fill(TColor color) {
  if (width_ == 0 || height_ == 0) return;
  if (color == clWhite && !IsPaletted(format_) && format_ != TPixelFormat::pf32bit) {
    std::memset(bits_.get(), 0xFF, static_cast<size_t>(stride_ * height_));
    ClearRowPadding();
    return;
  }
  // Fill one row pixel by pixel, then copy it to the others.
  for (int x = 0; x < width_; ++x)
    SetPixel(x, 0, color);
  ClearRowPadding();
  for (int y = 1; y < height_; ++y)
    std::memcpy(ScanLine(y), ScanLine(0), static_cast<size_t>(stride_));
}

void TBitmap::ClearRowPadding() {
  if (stride_ == 0) return; // no rows to clear (and no memory to point at)
  const int64_t usedBits = int64_t{width_} * BitsPerPixel();
  const int64_t fullBytes = usedBits / 8;
  const int partialBits = static_cast<int>(usedBits % 8);
  for (int y = 0; y < height_; ++y) {
    uint8_t* row = ScanLine(y);
    int64_t from = fullBytes;
    if (partialBits) row[from++] &= static_cast<uint8_t>(0xFF00 >> partialBits);
    std::memset(row + from, 0, static_cast<size_t>(stride_ - from));
  }
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
  if (format == TPixelFormat::pfDevice) format = TPixelFormat::pf24bit;
  if (format == format_) return;
  if (width_ == 0 || height_ == 0) {
    format_ = format;
    palette_ = IsPaletted(format) ? DefaultPalette(format) : std::vector<TRGBQuad>{};
    return;
  }
  TBitmap converted;
  converted.Allocate(width_, height_, format);
  if (format == TPixelFormat::pf24bit) {
    // The common case (every picture the loader hands over) goes row by row with a table.
    for (int y = 0; y < height_; ++y)
      ExpandRowTo24(y, converted.ScanLine(y));
  } else {
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x)
        converted.SetPixel(x, y, GetPixel(x, y));
  }
  converted.ClearRowPadding();
  *this = std::move(converted);
  Changed();
}

bool TBitmap::AnyAlphaByteSet() const {
  if (format_ != TPixelFormat::pf32bit) return false;
  for (int y = 0; y < height_; ++y) {
    const uint8_t* row = ScanLine(y);
    for (int x = 0; x < width_; ++x)
      if (row[4 * x + 3] != 0) return true;
  }
  return false;
}

void TBitmap::ExpandRowTo24(int y, uint8_t* out) const {
  const uint8_t* in = ScanLine(y);
  switch (format_) {
  case TPixelFormat::pf1bit:
  case TPixelFormat::pf4bit:
  case TPixelFormat::pf8bit: {
    TRGBQuad colors[256] = {}; // entries the palette lacks are black
    std::copy_n(palette_.begin(), std::min<size_t>(palette_.size(), 256), colors);
    if (format_ == TPixelFormat::pf8bit) {
      // Four bytes stored per pixel, the fourth overwritten by the next pixel: one store
      // instead of three. The last pixel is stored exactly, the row may have no padding.
      int x = 0;
      for (; x + 1 < width_; ++x, out += 3)
        std::memcpy(out, &colors[in[x]], 4);
      if (x < width_) std::memcpy(out, &colors[in[x]], 3);
      break;
    }
    const int bpp = BitsPerPixel();
    const int perByte = 8 / bpp;
    for (int x = 0; x < width_; ++x, out += 3) {
      const int shift = 8 - bpp * (x % perByte + 1);
      const TRGBQuad& c = colors[in[x / perByte] >> shift & ((1 << bpp) - 1)];
      out[0] = c.rgbBlue, out[1] = c.rgbGreen, out[2] = c.rgbRed;
    }
    break;
  }
  case TPixelFormat::pfDevice:
  case TPixelFormat::pf24bit:
    std::copy_n(in, size_t{3} * width_, out);
    break;
  case TPixelFormat::pf32bit:
    for (int x = 0; x < width_; ++x, in += 4, out += 3)
      out[0] = in[0], out[1] = in[1], out[2] = in[2];
    break;
  default:
    for (int x = 0; x < width_; ++x, out += 3) {
      const TColor c = GetPixel(x, y);
      out[0] = GetBValue(c), out[1] = GetGValue(c), out[2] = GetRValue(c);
    }
  }
}

void TBitmap::LoadFromStream(TStream& stream) {
  // Memory streams are read in place; anything else is read to its end first.
  auto decode = [&](std::span<const uint8_t> bytes) {
    TBitmap decoded;
    size_t consumed = 0;
    ReadBmp(bytes, decoded, &consumed);
    *this = std::move(decoded);
    return consumed;
  };
  if (auto* memory = dynamic_cast<TCustomMemoryStream*>(&stream)) {
    size_t consumed = decode(memory->Remaining());
    memory->Seek(static_cast<int64_t>(consumed), TSeekOrigin::soCurrent);
  } else {
    int64_t start = stream.Position();
    TMemoryStream rest;
    rest.CopyFrom(stream, stream.Size() - start);
    rest.SetPosition(0);
    size_t consumed = decode(rest.Bytes());
    stream.SetPosition(start + static_cast<int64_t>(consumed));
  }
  Changed();
}

void TBitmap::LoadFromBmpImage(TMemoryStream& image) {
  TBitmap decoded;
  ReadBmp(image.Bytes(), decoded, nullptr, &image);
  *this = std::move(decoded);
  Changed();
}

void TBitmap::SaveToStream(TStream& stream) const {
  WriteBmp(*this, stream);
}
