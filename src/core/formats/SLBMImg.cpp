#include "formats/SLBMImg.h"

#include "formats/Progress.h"
#include "io/ByteReader.h"
#include "io/Limits.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

namespace {

constexpr char kNotLbm[] = "No DeLux Paint LBM file.";
constexpr char kCorrupted[] = "The file may be corrupted.";
constexpr char kTooManyPlanes[] = "The LBM picture has more than 8 bit planes.";
constexpr char kNoSize[] = "The LBM picture has a width or height of 0.";
constexpr char kTooWide[] = "The LBM picture's rows are wider than 8000 pixels.";
constexpr char kLinePalettes[] =
    "The LBM picture changes its colours line by line (PCHG or CTBL), which is not supported.";

constexpr size_t kMinFileSize = 40;
constexpr size_t kBlockSize = 8192;
// Decoded rows (one value per pixel) are limited to this buffer size.
constexpr size_t kLineBufferSize = 8001;
constexpr size_t kMaxColors = 256;
constexpr size_t kBmpHeadersSize = 14 + 40;
constexpr int32_t kPixelsPerMetre = 143;
constexpr uint32_t kCamgHam = 0x800, kCamgEhb = 0x80, kCamgLace = 0x4;

using Rgb = std::array<uint8_t, 3>;

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

BitmapHeader ReadBitmapHeader(std::span<const uint8_t> bmhd, bool pbm) {
  ByteReader<ELBMException> in(bmhd, kCorrupted);
  BitmapHeader header;
  header.pbm = pbm;
  header.width = in.U16BE();
  // Height is unsigned here as in the BMP header; a 16-bit sign would lose the rows.
  header.height = in.U16BE();
  in.Skip(4);
  const uint8_t planes = in.U8(), masking = in.U8(), compression = in.U8();
  header.planes = pbm ? 1 : planes;
  header.maskPlane = !pbm && masking == 1;
  header.compressed = compression != 0;
  if (header.width == 0 || header.height == 0) throw ELBMException(kNoSize);
  if (header.planes > 8 && header.planes != 24 && header.planes != 32)
    throw ELBMException(kTooManyPlanes);
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
                     const std::vector<Rgb>& colors) {
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

namespace {

// The chunks before the body that decide how it is drawn.
struct Chunks {
  std::optional<BitmapHeader> header;
  std::vector<Rgb> colors;
  uint32_t camg = 0;
  std::vector<std::array<Rgb, 16>> lineColors; // SHAM
  size_t bodyAt = 0;
  uint32_t bodySize = 0;
};

Rgb FromRgb4(uint16_t v) {
  return {uint8_t((v >> 8 & 15) * 17), uint8_t((v >> 4 & 15) * 17), uint8_t((v & 15) * 17)};
}

Chunks ReadChunks(std::span<const uint8_t> file) {
  if (file.size() < kMinFileSize) throw ELBMException(kCorrupted);
  const bool ilbm = HasTag(file, 8, "ILBM");
  if (!HasTag(file, 0, "FORM") || !(ilbm || HasTag(file, 8, "PBM", 3)))
    throw ELBMException(kNotLbm);
  ByteReader<ELBMException> in(file, kCorrupted);
  in.Seek(12);
  Chunks chunks;
  for (;;) {
    auto id = in.Bytes(4);
    uint32_t size = ReadChunkSize(in);
    if (HasTag(id, 0, "BODY")) {
      if (!chunks.header) throw ELBMException(kNotLbm);
      chunks.bodyAt = in.Position();
      chunks.bodySize = size;
      return chunks;
    }
    auto data = in.Bytes(size);
    ByteReader<ELBMException> chunk(data, kCorrupted);
    if (HasTag(id, 0, "BMHD")) {
      chunks.header = ReadBitmapHeader(data, !ilbm);
    } else if (HasTag(id, 0, "CMAP")) {
      chunks.colors.resize(std::min<size_t>(size / 3, kMaxColors));
      for (size_t i = 0; i < chunks.colors.size(); ++i)
        chunks.colors[i] = {data[3 * i], data[3 * i + 1], data[3 * i + 2]};
    } else if (HasTag(id, 0, "CAMG")) {
      chunks.camg = chunk.U32BE();
    } else if (HasTag(id, 0, "SHAM")) {
      chunk.Skip(2);
      chunks.lineColors.resize(chunk.Remaining() / 32);
      for (auto& line : chunks.lineColors)
        for (Rgb& c : line)
          c = FromRgb4(chunk.U16BE());
    } else if (HasTag(id, 0, "PCHG") || HasTag(id, 0, "CTBL")) {
      throw ELBMException(kLinePalettes);
    }
    if (size % 2 != 0 && in.Remaining() > 0) in.Skip(1);
  }
}

// A grey ramp over `count` values, for pictures without a colour map.
std::vector<Rgb> GreyRamp(size_t count) {
  std::vector<Rgb> colors(count);
  for (size_t i = 0; i < count; ++i) {
    auto grey = static_cast<uint8_t>(count == 1 ? 0 : i * 255 / (count - 1));
    colors[i] = {grey, grey, grey};
  }
  return colors;
}

} // namespace

void TSLBM::LoadLBM(TStream& source) {
  TMemoryStream holder;
  std::span<const uint8_t> file = WholeStream(source, holder);
  Chunks chunks = ReadChunks(file);
  const BitmapHeader& header = *chunks.header;
  std::vector<Rgb>& colors = chunks.colors;

  const size_t planes = header.planes;
  const bool deep = planes > 8;
  const bool ham = !header.pbm && (chunks.camg & kCamgHam) && planes >= 3 && !deep;
  const bool ehb = !header.pbm && !ham && (chunks.camg & kCamgEhb) && planes == 6;
  const size_t planesInBody = planes + (header.maskPlane ? 1 : 0);
  size_t rowBytes;
  if (header.pbm) {
    rowBytes = header.width + header.width % 2;
    // Some writers pad plain rows further; a body of whole longer rows says so.
    if (!header.compressed && chunks.bodySize % header.height == 0)
      rowBytes = std::max<size_t>(rowBytes, chunks.bodySize / header.height);
  } else if (header.compressed) {
    rowBytes = 2 * ((header.width + 15) / 16);
  } else {
    if (planes == 0) throw ELBMException(kCorrupted);
    rowBytes = chunks.bodySize / header.height / planesInBody;
    if (rowBytes == 0) throw ELBMException(kCorrupted);
  }
  size_t rowPixels = header.pbm ? rowBytes : 8 * rowBytes;
  if (rowPixels > kLineBufferSize || header.width >= kLineBufferSize) throw ELBMException(kTooWide);

  // HAM pixels index only the colours below their control bits.
  const size_t indexBits = ham ? planes - 2 : header.pbm ? 8 : planes;
  if (colors.empty() && !deep) colors = GreyRamp(size_t{1} << indexBits);
  if (ehb) {
    // The hardware halves the first 32 colours; an upper half stored in the map is not shown.
    colors.resize(64, {0, 0, 0});
    for (size_t i = 0; i < 32; ++i)
      for (size_t c = 0; c < 3; ++c)
        colors[32 + i][c] = colors[i][c] >> 1;
  }
  const bool direct = ham || deep;
  // Four bits only when every pixel value fits: more than 16 colours, or ILBM planes whose
  // values reach beyond 15, need a byte per pixel.
  int bitCount = direct ? 24 : colors.size() > 16 || (!header.pbm && planes > 4) ? 8 : 4;
  // Values without a colour of their own show black; the colour table covers them all, as
  // the BMP image must.
  size_t reach = size_t{1} << (direct ? indexBits : header.pbm ? bitCount : planes);
  if (colors.size() < reach) colors.resize(reach, {0, 0, 0});
  limits::CheckBitmapLimits(header.width, header.height, bitCount, "The LBM picture is too large");

  output_.Clear();
  WriteBmpHeaders(output_, header.width, header.height, bitCount,
                  direct ? std::vector<Rgb>{} : colors);
  const size_t stride = static_cast<size_t>(limits::RowStride(header.width, bitCount));
  const size_t pixelsAt = static_cast<size_t>(output_.Position());
  output_.SetSize(static_cast<int64_t>(pixelsAt + stride * header.height));

  std::vector<uint32_t> line(kLineBufferSize);
  std::vector<uint8_t> plane(rowBytes);
  BodyReader body(file, chunks.bodyAt, header.compressed);
  const bool lace = chunks.camg & kCamgLace;
  for (uint32_t y = 0; y < header.height; ++y) {
    if (header.pbm) {
      body.Read(plane.data(), rowBytes);
      std::copy(plane.begin(), plane.end(), line.begin());
    } else {
      std::fill(line.begin(), line.end(), 0);
      for (size_t p = 0; p < planesInBody; ++p) {
        body.Read(plane.data(), rowBytes);
        if (p == planes) break; // the mask plane: read past, not drawn
        for (size_t i = 0; i < rowBytes; ++i) {
          uint8_t bits = plane[i];
          if (bits == 0) continue;
          uint32_t* pixel = &line[8 * i];
          for (int b = 0; b < 8; ++b)
            pixel[b] |= uint32_t((bits >> (7 - b)) & 1) << p;
        }
      }
    }
    // The first row of the body is the top row: the last one of the bottom-up BMP image.
    uint8_t* row = output_.Memory() + pixelsAt + stride * (header.height - 1 - y);
    size_t used = header.width;
    if (deep) {
      for (size_t x = 0; x < used; ++x) {
        const uint32_t v = line[x];
        row[3 * x] = uint8_t(v >> 16), row[3 * x + 1] = uint8_t(v >> 8),
                row[3 * x + 2] = uint8_t(v);
      }
      used *= 3;
    } else if (ham) {
      const Rgb* base = colors.data();
      if (!chunks.lineColors.empty()) {
        size_t at = lace && chunks.lineColors.size() < header.height ? y / 2 : y;
        base = chunks.lineColors[std::min(at, chunks.lineColors.size() - 1)].data();
      }
      const size_t dataBits = planes - 2, dataMask = (size_t{1} << dataBits) - 1;
      Rgb pixel = {0, 0, 0}; // as other readers start each row; most pictures' colour 0 is black
      for (size_t x = 0; x < used; ++x) {
        const size_t data = line[x] & dataMask, control = line[x] >> dataBits;
        // The changed component takes the data as its top bits and keeps its own low bits.
        auto modify = [&](uint8_t old) {
          return dataBits >= 8
                     ? uint8_t(data)
                     : uint8_t(data << (8 - dataBits) | (old & ((1u << (8 - dataBits)) - 1)));
        };
        if (control == 0)
          pixel = chunks.lineColors.empty() || data >= 16 ? colors[data] : base[data];
        else if (control == 1)
          pixel[2] = modify(pixel[2]);
        else if (control == 2)
          pixel[0] = modify(pixel[0]);
        else
          pixel[1] = modify(pixel[1]);
        row[3 * x] = pixel[2], row[3 * x + 1] = pixel[1], row[3 * x + 2] = pixel[0];
      }
      used *= 3;
    } else if (bitCount == 4) {
      used = (header.width + 1) / 2;
      for (size_t i = 0; i < used; ++i)
        row[i] = static_cast<uint8_t>(line[2 * i] << 4 | (line[2 * i + 1] & 0x0F));
      if (header.width % 2 != 0) row[used - 1] &= 0xF0;
    } else {
      for (size_t x = 0; x < used; ++x)
        row[x] = uint8_t(line[x]);
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
