#include "import/SLBMImg.h"

#include "graphics/ByteReader.h"
#include "graphics/Limits.h"
#include "import/Progress.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

constexpr char kNotLbm[] = "No DeLux Paint LBM file.";
constexpr char kCorrupted[] = "The file may be corrupted.";
constexpr char kTooManyPlanes[] = "The LBM picture has more than 8 bit planes.";
constexpr char kNoSize[] = "The LBM picture has a width or height of 0.";
constexpr char kTooWide[] = "The LBM picture's rows are wider than 8000 pixels.";

constexpr size_t kHeaderSize = 40;
constexpr size_t kBlockSize = 8192;
// Decoded rows (one byte per pixel) are limited to this buffer size.
constexpr size_t kLineBufferSize = 8001;
constexpr size_t kMaxColors = 256;
constexpr size_t kBmpHeadersSize = 14 + 40;
constexpr int32_t kPixelsPerMetre = 143;

struct BitmapHeader {
  bool pbm = false;
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t planes = 0;
  bool maskPlane = false;
  bool compressed = false;
};

bool HasTag(std::span<const uint8_t> bytes, size_t at, const char* tag, size_t length = 4) {
  return std::memcmp(bytes.data() + at, tag, length) == 0;
}

BitmapHeader ReadBitmapHeader(std::span<const uint8_t> file) {
  if (file.size() < kHeaderSize) throw ELBMException(kCorrupted);
  bool ilbm = HasTag(file, 8, "ILBM");
  if (!HasTag(file, 0, "FORM") || !(ilbm || HasTag(file, 8, "PBM", 3)) || !HasTag(file, 12, "BMHD"))
    throw ELBMException(kNotLbm);
  ByteReader<ELBMException> in(file, kCorrupted);
  BitmapHeader header;
  header.pbm = !ilbm;
  in.Seek(20);
  header.width = in.U16BE();
  // Height is unsigned here as in the BMP header; a 16-bit sign would lose the rows.
  header.height = in.U16BE();
  header.planes = header.pbm ? 1 : file[28];
  header.maskPlane = !header.pbm && file[29] == 1;
  header.compressed = file[30] != 0;
  if (header.width == 0 || header.height == 0) throw ELBMException(kNoSize);
  if (header.planes > 8) throw ELBMException(kTooManyPlanes);
  return header;
}

// Reads one chunk's size and checks it against the rest of the file. A missing pad byte
// after the last chunk is tolerated: it carries no data.
uint32_t ReadChunkSize(ByteReader<ELBMException>& in) {
  uint32_t size = in.U32BE();
  if (size < 1 || size > in.Remaining()) throw ELBMException(kCorrupted);
  return size;
}

// The body's bytes, plain or through ByteRun1. The run state carries over from row to row,
// so runs may cross rows; bytes past the end of the file read as 0. Reading is not limited
// by the body chunk's size. Progress is reported after every 8192 bytes read and every 8192
// bytes decompressed, so a long decode lets the window paint.
class BodyReader {
public:
  BodyReader(std::span<const uint8_t> file, size_t start, bool compressed)
      : file_(file), position_(start), compressed_(compressed) {}

  void Read(uint8_t* out, size_t count) {
    if (!compressed_) {
      ReadRaw(out, count);
      return;
    }
    size_t left = count;
    while (left > 0) {
      if (pending_ == 0 && position_ >= file_.size()) {
        // Past the end every packet is a one-byte literal of 0 (control 0, then 0): fill the
        // rest at once, so a tiny file that declares a huge picture costs no more than memory.
        std::memset(out, 0, left);
        Advance(raw_, 2 * left);
        break;
      }
      if (pending_ == 0) {
        uint8_t control = RawByte();
        if (control == 128) continue; // no operation
        runPending_ = control > 128;
        pending_ = runPending_ ? 257 - control : control + 1;
        if (runPending_) runValue_ = RawByte();
      }
      size_t n = std::min(left, pending_);
      if (runPending_)
        std::memset(out, runValue_, n);
      else
        ReadRaw(out, n);
      out += n;
      left -= n;
      pending_ -= n;
    }
    Advance(unpacked_, count);
  }

private:
  void ReadRaw(uint8_t* out, size_t count) {
    size_t available = position_ < file_.size() ? std::min(count, file_.size() - position_) : 0;
    std::memcpy(out, file_.data() + position_, available);
    std::memset(out + available, 0, count - available);
    position_ += count;
    Advance(raw_, count);
  }
  uint8_t RawByte() {
    uint8_t value = 0;
    ReadRaw(&value, 1);
    return value;
  }
  static void Advance(size_t& counter, size_t count) {
    counter += count;
    for (; counter >= kBlockSize; counter -= kBlockSize)
      ReportDecoderProgress();
  }

  std::span<const uint8_t> file_;
  size_t position_;
  bool compressed_;
  size_t pending_ = 0;
  bool runPending_ = false;
  uint8_t runValue_ = 0;
  size_t raw_ = 0;
  size_t unpacked_ = 0;
};

void WriteBmpHeaders(TMemoryStream& output, uint32_t width, uint32_t height, int bitCount,
                     const std::vector<std::array<uint8_t, 3>>& colors) {
  uint32_t colorCount = static_cast<uint32_t>(colors.size());
  uint32_t pixelOffset = kBmpHeadersSize + 4 * colorCount;
  int64_t imageSize = limits::RowStride(width, bitCount) * height;
  std::array<uint8_t, kBmpHeadersSize> head{};
  head[0] = 'B';
  head[1] = 'M';
  StoreU32LE(&head[2], static_cast<uint32_t>(pixelOffset + imageSize));
  StoreU32LE(&head[10], pixelOffset);
  uint8_t* info = &head[14];
  StoreU32LE(info, 40);
  StoreU32LE(info + 4, width);
  StoreU32LE(info + 8, height);
  StoreU16LE(info + 12, 1);
  StoreU16LE(info + 14, static_cast<uint16_t>(bitCount));
  StoreU32LE(info + 24, kPixelsPerMetre);
  StoreU32LE(info + 28, kPixelsPerMetre);
  StoreU32LE(info + 32, colorCount);
  output.WriteBuffer(head.data(), head.size());
  for (const auto& rgb : colors) {
    uint8_t quad[4] = {rgb[2], rgb[1], rgb[0], 0};
    output.WriteBuffer(quad, 4);
  }
}

} // namespace

void TSLBM::LoadLBM(TStream& source) {
  TMemoryStream holder;
  std::span<const uint8_t> file = WholeStream(source, holder);
  BitmapHeader header = ReadBitmapHeader(file);

  // The chunks up to the body; a colour map may stand anywhere among them.
  ByteReader<ELBMException> in(file, kCorrupted);
  in.Seek(kHeaderSize);
  std::vector<std::array<uint8_t, 3>> colors;
  uint32_t bodySize = 0;
  for (;;) {
    auto id = in.Bytes(4);
    uint32_t size = ReadChunkSize(in);
    if (HasTag(id, 0, "BODY")) {
      bodySize = size;
      break;
    }
    auto data = in.Bytes(size);
    if (HasTag(id, 0, "CMAP")) {
      colors.resize(std::min<size_t>(size / 3, kMaxColors));
      for (size_t i = 0; i < colors.size(); ++i)
        colors[i] = {data[3 * i], data[3 * i + 1], data[3 * i + 2]};
    }
    if (size % 2 != 0 && in.Remaining() > 0) in.Skip(1);
  }

  size_t planes = header.planes;
  size_t planesInBody = planes + (header.maskPlane ? 1 : 0);
  size_t rowBytes;
  if (header.pbm) {
    rowBytes = header.width + header.width % 2;
  } else if (header.compressed) {
    rowBytes = 2 * ((header.width + 15) / 16);
  } else {
    if (planes == 0) throw ELBMException(kCorrupted);
    rowBytes = bodySize / header.height / planesInBody;
    if (rowBytes == 0) throw ELBMException(kCorrupted);
  }
  size_t rowPixels = header.pbm ? rowBytes : 8 * rowBytes;
  if (rowPixels > kLineBufferSize || header.width >= kLineBufferSize) throw ELBMException(kTooWide);

  if (colors.empty()) {
    // No colour map: a grey ramp over every value the pixels can take.
    size_t count = size_t{1} << (header.pbm ? 8 : planes);
    colors.resize(count);
    for (size_t i = 0; i < count; ++i) {
      auto grey = static_cast<uint8_t>(count == 1 ? 0 : i * 255 / (count - 1));
      colors[i] = {grey, grey, grey};
    }
  }
  // Four bits only when every pixel value fits: more than 16 colours, or ILBM planes whose
  // values reach beyond 15, need a byte per pixel.
  int bitCount = colors.size() > 16 || (!header.pbm && planes > 4) ? 8 : 4;
  // Values without a colour of their own show black; the colour table covers them all, as
  // the BMP image must.
  size_t reach = size_t{1} << (header.pbm ? bitCount : planes);
  if (colors.size() < reach) colors.resize(reach, {0, 0, 0});
  limits::CheckBitmapLimits(header.width, header.height, bitCount, "The LBM picture is too large");

  output_.Clear();
  WriteBmpHeaders(output_, header.width, header.height, bitCount, colors);
  const size_t stride = static_cast<size_t>(limits::RowStride(header.width, bitCount));
  const size_t pixelsAt = static_cast<size_t>(output_.Position());
  output_.SetSize(static_cast<int64_t>(pixelsAt + stride * header.height));

  std::vector<uint8_t> line(kLineBufferSize);
  std::vector<uint8_t> plane(rowBytes);
  BodyReader body(file, in.Position(), header.compressed);
  for (uint32_t y = 0; y < header.height; ++y) {
    if (header.pbm) {
      body.Read(line.data(), rowBytes);
    } else {
      std::fill(line.begin(), line.end(), 0);
      for (size_t p = 0; p < planesInBody; ++p) {
        body.Read(plane.data(), rowBytes);
        if (p == planes) break; // the mask plane: read past, not drawn
        for (size_t i = 0; i < rowBytes; ++i) {
          uint8_t bits = plane[i];
          if (bits == 0) continue;
          uint8_t* pixel = &line[8 * i];
          for (int b = 0; b < 8; ++b)
            pixel[b] |= ((bits >> (7 - b)) & 1) << p;
        }
      }
    }
    // The first row of the body is the top row: the last one of the bottom-up BMP image.
    uint8_t* row = output_.Memory() + pixelsAt + stride * (header.height - 1 - y);
    size_t used;
    if (bitCount == 4) {
      used = (header.width + 1) / 2;
      for (size_t i = 0; i < used; ++i)
        row[i] = static_cast<uint8_t>(line[2 * i] << 4 | (line[2 * i + 1] & 0x0F));
      if (header.width % 2 != 0) row[used - 1] &= 0xF0;
    } else {
      used = header.width;
      std::memcpy(row, line.data(), used);
    }
    std::memset(row + used, 0, stride - used);
  }
  output_.SetPosition(0);
}

void TSLBM::CopyBitmapFile(TStream& target) {
  output_.SetPosition(0);
  output_.SaveToStream(target);
}

void TSLBMImage::LoadFromStream(TStream& stream) {
  TSLBM decoder;
  decoder.LoadLBM(stream);
  // The BMP reader builds the picture aside and replaces this one only when it succeeds.
  LoadFromBmpImage(decoder.Output());
}
