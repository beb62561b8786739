#include "formats/SLBMImg.h"

#include "bmp/Bitmap.h"
#include "formats/Progress.h"
#include "io/ByteReader.h"
#include "io/Limits.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

namespace {

using LbmReader = ByteReader<ELBMException, TLBMError>;
constexpr TLBMError kCorrupted = TLBMError::Corrupted;

constexpr size_t kMinFileSize = 40;
constexpr size_t kBlockSize = 8192;
// Decoded rows (one value per pixel) are limited to this buffer size.
constexpr size_t kLineBufferSize = 8001;
constexpr size_t kMaxColors = 256;
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
  LbmReader in(bmhd, kCorrupted);
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
  if (header.width == 0 || header.height == 0) RaiseLBMError(TLBMError::NoSize);
  if (header.planes > 8 && header.planes != 24 && header.planes != 32)
    RaiseLBMError(TLBMError::TooManyPlanes);
  return header;
}

// Reads one chunk's size and checks it against the rest of the file. A missing pad byte
// after the last chunk is tolerated: it carries no data.
uint32_t ReadChunkSize(LbmReader& in) {
  uint32_t size = in.U32BE();
  if (size < 1 || size > in.Remaining()) RaiseLBMError(TLBMError::Corrupted);
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
  if (file.size() < kMinFileSize) RaiseLBMError(TLBMError::Corrupted);
  const bool ilbm = HasTag(file, 8, "ILBM");
  if (!HasTag(file, 0, "FORM") || !(ilbm || HasTag(file, 8, "PBM", 3)))
    RaiseLBMError(TLBMError::NotLbm);
  LbmReader in(file, kCorrupted);
  in.Seek(12);
  Chunks chunks;
  for (;;) {
    auto id = in.Bytes(4);
    uint32_t size = ReadChunkSize(in);
    if (HasTag(id, 0, "BODY")) {
      if (!chunks.header) RaiseLBMError(TLBMError::NotLbm);
      chunks.bodyAt = in.Position();
      chunks.bodySize = size;
      return chunks;
    }
    auto data = in.Bytes(size);
    LbmReader chunk(data, kCorrupted);
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
      RaiseLBMError(TLBMError::LinePalettes);
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

// How the body's rows become rows of the BMP image, decided before any pixel is read.
struct RowPlan {
  uint32_t width = 0, height = 0;
  size_t planes = 0;
  size_t planesInBody = 0; // with the mask plane
  size_t rowBytes = 0;     // of one plane (ILBM) or of the row (PBM) in the body
  size_t indexBits = 0;    // of a colour-map index
  bool pbm = false, deep = false, ham = false, ehb = false, lace = false;
  bool direct = false; // 24-bit BMP rows: HAM or deep
  int bitCount = 0;
  size_t stride = 0;
};

size_t BodyRowBytes(const BitmapHeader& header, size_t planesInBody, uint32_t bodySize) {
  if (header.pbm) {
    const size_t rowBytes = header.width + header.width % 2;
    // Some writers pad plain rows further; a body of whole longer rows says so.
    if (!header.compressed && bodySize % header.height == 0)
      return std::max<size_t>(rowBytes, bodySize / header.height);
    return rowBytes;
  }
  if (header.compressed) return 2 * ((header.width + 15) / 16);
  if (header.planes == 0) RaiseLBMError(TLBMError::Corrupted);
  const size_t rowBytes = bodySize / header.height / planesInBody;
  if (rowBytes == 0) RaiseLBMError(TLBMError::Corrupted);
  return rowBytes;
}

// Plans the rows and completes the colour map to cover every value a pixel can have.
RowPlan PlanRows(Chunks& chunks) {
  const BitmapHeader& header = *chunks.header;
  RowPlan plan;
  plan.width = header.width;
  plan.height = header.height;
  plan.pbm = header.pbm;
  plan.planes = header.planes;
  plan.deep = plan.planes > 8;
  plan.ham = !plan.pbm && (chunks.camg & kCamgHam) && plan.planes >= 3 && !plan.deep;
  plan.ehb = !plan.pbm && !plan.ham && (chunks.camg & kCamgEhb) && plan.planes == 6;
  plan.lace = chunks.camg & kCamgLace;
  plan.planesInBody = plan.planes + (header.maskPlane ? 1 : 0);
  plan.rowBytes = BodyRowBytes(header, plan.planesInBody, chunks.bodySize);
  const size_t rowPixels = plan.pbm ? plan.rowBytes : 8 * plan.rowBytes;
  if (rowPixels > kLineBufferSize || header.width >= kLineBufferSize)
    RaiseLBMError(TLBMError::TooWide);

  // HAM pixels index only the colours below their control bits.
  plan.indexBits = plan.ham ? plan.planes - 2 : plan.pbm ? 8 : plan.planes;
  std::vector<Rgb>& colors = chunks.colors;
  if (colors.empty() && !plan.deep) colors = GreyRamp(size_t{1} << plan.indexBits);
  if (plan.ehb) {
    // The hardware halves the first 32 colours; an upper half stored in the map is not shown.
    colors.resize(64, {0, 0, 0});
    for (size_t i = 0; i < 32; ++i)
      for (size_t c = 0; c < 3; ++c)
        colors[32 + i][c] = colors[i][c] >> 1;
  }
  plan.direct = plan.ham || plan.deep;
  // Four bits only when every pixel value fits: more than 16 colours, or ILBM planes whose
  // values reach beyond 15, need a byte per pixel.
  plan.bitCount = plan.direct ? 24 : colors.size() > 16 || (!plan.pbm && plan.planes > 4) ? 8 : 4;
  // Values without a colour of their own show black; the colour table covers them all, as
  // the BMP image must. Deep pixels are colours themselves, and 2^32 entries would only cost.
  const size_t reach = size_t{1} << (plan.direct ? plan.indexBits
                                     : plan.pbm  ? plan.bitCount
                                                 : plan.planes);
  if (!plan.deep && colors.size() < reach) colors.resize(reach, {0, 0, 0});
  limits::CheckBitmapLimits(header.width, header.height, plan.bitCount,
                            LBMErrorText(TLBMError::TooLarge));
  plan.stride = static_cast<size_t>(limits::RowStride(header.width, plan.bitCount));
  return plan;
}

// Reads the next row of the body into `line`, one value per pixel: a PBM row's bytes, or the
// bits of each ILBM plane in turn.
void DecodeRow(BodyReader& body, const RowPlan& plan, std::vector<uint8_t>& plane,
               std::vector<uint32_t>& line) {
  if (plan.pbm) {
    body.Read(plane.data(), plan.rowBytes);
    std::copy(plane.begin(), plane.end(), line.begin());
    return;
  }
  std::fill(line.begin(), line.end(), 0);
  for (size_t p = 0; p < plan.planesInBody; ++p) {
    body.Read(plane.data(), plan.rowBytes);
    if (p == plan.planes) break; // the mask plane: read past, not drawn
    for (size_t i = 0; i < plan.rowBytes; ++i) {
      uint8_t bits = plane[i];
      if (bits == 0) continue;
      uint32_t* pixel = &line[8 * i];
      for (int b = 0; b < 8; ++b)
        pixel[b] |= uint32_t((bits >> (7 - b)) & 1) << p;
    }
  }
}

// Stores the HAM row `y`: each pixel sets a colour of the map or changes one component of
// the pixel to its left.
void StoreHamRow(const RowPlan& plan, const Chunks& chunks, uint32_t y, const uint32_t* line,
                 uint8_t* row) {
  const std::vector<Rgb>& colors = chunks.colors;
  const Rgb* base = colors.data();
  if (!chunks.lineColors.empty()) {
    size_t at = plan.lace && chunks.lineColors.size() < plan.height ? y / 2 : y;
    base = chunks.lineColors[std::min(at, chunks.lineColors.size() - 1)].data();
  }
  const size_t dataBits = plan.planes - 2, dataMask = (size_t{1} << dataBits) - 1;
  Rgb pixel = {0, 0, 0}; // as other readers start each row; most pictures' colour 0 is black
  for (size_t x = 0; x < plan.width; ++x) {
    const size_t data = line[x] & dataMask, control = line[x] >> dataBits;
    // The changed component takes the data as its top bits and keeps its own low bits.
    auto modify = [&](uint8_t old) {
      return dataBits >= 8 ? uint8_t(data)
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
}

// Stores the decoded row `y` as a BMP row, its padding cleared.
void StoreRow(const RowPlan& plan, const Chunks& chunks, uint32_t y, const uint32_t* line,
              uint8_t* row) {
  size_t used = plan.width;
  if (plan.deep) {
    for (size_t x = 0; x < used; ++x) {
      const uint32_t v = line[x];
      row[3 * x] = uint8_t(v >> 16), row[3 * x + 1] = uint8_t(v >> 8), row[3 * x + 2] = uint8_t(v);
    }
    used *= 3;
  } else if (plan.ham) {
    StoreHamRow(plan, chunks, y, line, row);
    used *= 3;
  } else if (plan.bitCount == 4) {
    used = (plan.width + 1) / 2;
    for (size_t i = 0; i < used; ++i)
      row[i] = static_cast<uint8_t>(line[2 * i] << 4 | (line[2 * i + 1] & 0x0F));
    if (plan.width % 2 != 0) row[used - 1] &= 0xF0;
  } else {
    for (size_t x = 0; x < used; ++x)
      row[x] = uint8_t(line[x]);
  }
  std::memset(row + used, 0, plan.stride - used);
}

} // namespace

void TSLBM::LoadLBM(TStream& source) {
  TMemoryStream holder;
  LoadLBM(WholeStream(source, holder));
}

void TSLBM::LoadLBM(std::span<const uint8_t> file) {
  Chunks chunks = ReadChunks(file);
  const RowPlan plan = PlanRows(chunks);

  TBitmap image;
  image.Allocate(static_cast<int>(plan.width), static_cast<int>(plan.height),
                 plan.bitCount == 24  ? TPixelFormat::pf24bit
                 : plan.bitCount == 8 ? TPixelFormat::pf8bit
                                      : TPixelFormat::pf4bit);
  if (!plan.direct) {
    std::vector<TRGBQuad> palette(chunks.colors.size());
    for (size_t i = 0; i < palette.size(); ++i)
      palette[i] = {chunks.colors[i][2], chunks.colors[i][1], chunks.colors[i][0], 0};
    image.SetPalette(std::move(palette));
  }

  std::vector<uint32_t> line(kLineBufferSize);
  std::vector<uint8_t> plane(plan.rowBytes);
  BodyReader body(file, chunks.bodyAt, chunks.header->compressed);
  for (uint32_t y = 0; y < plan.height; ++y) {
    DecodeRow(body, plan, plane, line);
    StoreRow(plan, chunks, y, line.data(), image.ScanLine(static_cast<int>(y)));
  }
  image_ = std::move(image);
  output_.Clear();
}

TMemoryStream& TSLBM::Output() {
  if (output_.Size() == 0 && !image_.Empty()) {
    WriteBmp(image_, output_);
    output_.SetPosition(0);
  }
  return output_;
}

void TSLBM::CopyBitmapFile(TStream& target) {
  Output().SetPosition(0);
  output_.SaveToStream(target);
}

TBitmap DecodeLbm(std::span<const uint8_t> bytes) {
  TSLBM decoder;
  decoder.LoadLBM(bytes);
  return std::move(decoder.Image());
}

TBitmap DecodeLbm(TStream& source) {
  TMemoryStream holder;
  return DecodeLbm(WholeStream(source, holder));
}

void TSLBMImage::LoadFromStream(TStream& stream) {
  // The picture is built aside and replaces this one only when it succeeds.
  static_cast<TBitmap&>(*this) = DecodeLbm(stream);
}
