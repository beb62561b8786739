#include "cli/Streaming.h"

#include "blz/BlockPool.h"
#include "blz/BlzErrors.h"
#include "bmp/Bitmap.h"
#include "cli/InfoLine.h"
#include "cli/OutputTarget.h"
#include "formats/WindowRule.h"
#include "io/ByteReader.h"
#include "io/Exceptions.h"
#include "io/Limits.h"
#include "io/Streams.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kPiece = lzrw1kh::kMaxBlockInput;
// Every BMP header, masks and colour table fit in this; rows that start later are rare
// enough for the whole-picture path.
constexpr size_t kHeadRoom = 64 * 1024;

// The first bytes of a stream, at most kHeadRoom.
std::vector<uint8_t> ReadHead(TStream& input) {
  std::vector<uint8_t> head(static_cast<size_t>(std::min<int64_t>(input.Size(), kHeadRoom)));
  input.SetPosition(0);
  head.resize(static_cast<size_t>(input.Read(head.data(), static_cast<int64_t>(head.size()))));
  return head;
}

// Whether the fourth byte of some 32-bit pixel in `count` bytes of rows is not 0; `bytes`
// start `offset` bytes after the first row's start.
bool AlphaByteSet(const uint8_t* bytes, size_t count, uint64_t offset) {
  for (size_t i = (7 - offset % 4) % 4; i < count; i += 4)
    if (bytes[i] != 0) return true;
  return false;
}

// The BMP image the writer makes of a plain BMP image whose rows the reader keeps, fetched in
// order: its head, then the input's rows with their padding cleared.
class TPlainImage {
public:
  TPlainImage(TStream& input, TPlainBmpRows rows) : input_(input), rows_(std::move(rows)) {
    if (rows_.alpha && !AnyAlphaByteSet()) rows_.writerHead = rows_.OpaqueHead();
    input_.SetPosition(rows_.pixelOffset);
  }
  const std::vector<uint8_t>& Head() const { return rows_.writerHead; }
  uint64_t Size() const {
    return rows_.writerHead.size() + static_cast<uint64_t>(rows_.stride) * rows_.height;
  }
  // Successive calls ask for successive ranges.
  void Fill(uint8_t* to, uint64_t offset, size_t count) {
    const uint64_t headSize = rows_.writerHead.size();
    const size_t fromHead =
        offset < headSize ? static_cast<size_t>(std::min<uint64_t>(count, headSize - offset)) : 0;
    std::memcpy(to, rows_.writerHead.data() + offset, fromHead);
    if (count == fromHead) return;
    input_.ReadBuffer(to + fromHead, static_cast<int64_t>(count - fromHead));
    rows_.ClearPadding(to + fromHead, offset + fromHead - headSize, count - fromHead);
  }

private:
  // Reads the 32-bit rows once ahead, for the writer's choice of header.
  bool AnyAlphaByteSet() {
    std::vector<uint8_t> buffer(kPiece);
    input_.SetPosition(rows_.pixelOffset);
    for (uint64_t left = static_cast<uint64_t>(rows_.stride) * rows_.height; left > 0;) {
      const size_t count = static_cast<size_t>(std::min<uint64_t>(left, kPiece));
      input_.ReadBuffer(buffer.data(), static_cast<int64_t>(count));
      if (AlphaByteSet(buffer.data(), count, 0)) return true;
      left -= count;
    }
    return false;
  }

  TStream& input_;
  TPlainBmpRows rows_;
};

// A plain BMP image's rows as the writer would write them; nullopt for any other input.
std::optional<TPlainBmpRows> PlainRows(TStream& input) {
  const std::vector<uint8_t> head = ReadHead(input);
  if (RecognizeLayout(head) != TBmpLayout::Plain) return std::nullopt;
  return PlainBmpRows(head, static_cast<uint64_t>(input.Size()));
}

// Takes a restored BMP image as its records expand, in order, and hands on the bytes the
// writer would make of it: the writer's head and the rows with their padding cleared. Anything
// the reader would convert, check pixel by pixel or refuse is left to the whole-picture path,
// which gives its exact error.
class TRestoredImage {
public:
  TRestoredImage(uint64_t storedSize, TStream* out) : storedSize_(storedSize), out_(out) {}

  // False when the image is one to leave to the whole-picture path.
  [[nodiscard]] bool Take(uint8_t* bytes, size_t count) {
    uint64_t start = received_;
    received_ += count;
    if (!rows_) {
      const size_t taken = std::min(count, kHeadRoom - head_.size());
      head_.insert(head_.end(), bytes, bytes + taken);
      if (head_.size() < kBmpFileHeaderSize ||
          head_.size() < ReadBmpFileHeader(head_.data()).pixelOffset)
        return head_.size() != kHeadRoom;
      rows_ = AcceptedPlainBmpRows(head_, storedSize_);
      if (!rows_) return false;
      if (!rows_->alpha || !out_) WriteHead(rows_->writerHead);
      // What came before is in head_: hand on its rows from there.
      std::vector<uint8_t> early(head_.begin() + rows_->pixelOffset, head_.end());
      Rows(early.data(), rows_->pixelOffset, early.size());
      start += taken, bytes += taken, count -= taken;
    }
    Rows(bytes, start, count);
    if (!headWritten_ && received_ >= storedSize_) {
      WriteHead(rows_->OpaqueHead()); // every alpha byte was 0
      WritePending();
    }
    return pending_.size() <= kMaxPending;
  }

  // Whether the image ended as the stored size says, having reached its rows.
  bool Whole() const { return rows_ && received_ == storedSize_; }

private:
  // `count` bytes of the image at `offset`; only those inside the rows are written.
  void Rows(uint8_t* bytes, uint64_t offset, size_t count) {
    const uint64_t begin = rows_->pixelOffset;
    const uint64_t end = begin + static_cast<uint64_t>(rows_->stride) * rows_->height;
    const uint64_t a = std::max(offset, begin), b = std::min(offset + count, end);
    if (a >= b || !out_) return;
    uint8_t* from = bytes + (a - offset);
    rows_->ClearPadding(from, a - begin, static_cast<size_t>(b - a));
    if (headWritten_) {
      out_->WriteBuffer(from, static_cast<int64_t>(b - a));
      return;
    }
    // Rows with an alpha channel: the writer's header depends on whether some alpha byte is
    // not 0, so the rows wait until one is found.
    pending_.insert(pending_.end(), from, from + (b - a));
    if (!AlphaByteSet(from, static_cast<size_t>(b - a), a - begin)) return;
    WriteHead(rows_->writerHead);
    WritePending();
  }

  void WriteHead(const std::vector<uint8_t>& head) {
    if (out_) out_->WriteBuffer(head.data(), static_cast<int64_t>(head.size()));
    headWritten_ = true;
  }
  void WritePending() {
    out_->WriteBuffer(pending_.data(), static_cast<int64_t>(pending_.size()));
    pending_ = {};
  }

  // Rows with all alpha 0 held back beyond this go to the whole-picture path.
  static constexpr size_t kMaxPending = size_t{16} << 20;

  uint64_t storedSize_;
  TStream* out_;
  std::vector<uint8_t> head_;
  std::optional<TPlainBmpRows> rows_;
  bool headWritten_ = false;
  std::vector<uint8_t> pending_;
  uint64_t received_ = 0;
};

// A BLZ input opened: its layout and stored size, the restored image's first bytes (the
// packed bitmap's headers), the input standing at its first record.
struct TBlzInput {
  TBmpLayout layout = TBmpLayout::Plain;
  uint64_t storedSize = 0;
  std::vector<uint8_t> restoredHead;
};

// nullopt for a BLZ input the whole-picture path must read: cut short in its header, or a
// packed bitmap that the readers leave unloaded.
std::optional<TBlzInput> OpenBlz(TStream& input) {
  uint8_t header[blz::kPackedHeaderSize] = {};
  input.SetPosition(0);
  const size_t got = static_cast<size_t>(input.Read(header, sizeof header));
  TBlzInput blz;
  blz.layout = RecognizeLayout({header, got});
  if (blz.layout == TBmpLayout::BLZStream) {
    if (got < blz::kStreamHeaderSize) return std::nullopt;
    blz.storedSize = blz::ReadStreamHeader({header, got});
    input.SetPosition(blz::kStreamHeaderSize);
  } else if (blz.layout == TBmpLayout::PackedBitmap) {
    const blz::TPackedHeader packed = blz::ReadPackedHeader({header, got});
    if (got < blz::kPackedHeaderSize || packed.storedSize <= 0) return std::nullopt;
    blz.storedSize = static_cast<uint64_t>(packed.storedSize);
    blz.restoredHead.assign(packed.bmpHeaders.begin(), packed.bmpHeaders.end());
  }
  return blz;
}

// Expands the records of `blz` in order into `image`; returns the record count, or nullopt
// for a damaged input, one beyond the size limit, or a stored size the image does not end at.
std::optional<size_t> ExpandRecords(TStream& input, const TBlzInput& blz, TRestoredImage& image) {
  if (!image.Take(const_cast<uint8_t*>(blz.restoredHead.data()), blz.restoredHead.size()))
    return std::nullopt;
  size_t records = 0;
  // Set by the takes and by the puts, which may run at the same time on different threads.
  bool damaged = false, refused = false, lastWhole = true;
  blocks::RunInOrder(
      blocks::ThreadsFor(blz.storedSize / kPiece + 1),
      [&](blocks::TPiece& piece) {
        if ((piece.index + 1) * kPiece > limits::kMaxBitmapBytes + (1 << 20)) {
          damaged = true;
          return false;
        }
        size_t got = static_cast<size_t>(input.Read(piece.inBuffer, blz::kRecordFrameSize));
        if (got == blz::kRecordFrameSize && LoadU16LE(piece.inBuffer) <= lzrw1kh::kWorkBufferSize)
          got += static_cast<size_t>(input.Read(piece.inBuffer + got, LoadU16LE(piece.inBuffer)));
        const std::optional<size_t> whole = blz::WholeRecordFrame(piece.inBuffer, got);
        damaged = !whole;
        if (damaged) return false;
        piece.inSize = *whole;
        piece.in = piece.inBuffer + blz::kRecordFrameSize;
        return true;
      },
      [](blocks::TPiece& piece) {
        piece.outSize = DecompressBlock(piece.in, piece.outBuffer, piece.inSize, kPiece);
      },
      [&](blocks::TPiece& piece) {
        records = piece.index + 1;
        lastWhole = piece.outSize == kPiece;
        refused = !image.Take(piece.outBuffer, piece.outSize);
        return lastWhole && !refused;
      });
  // A take that found damage after a short piece was never reached by one thread.
  if ((damaged && lastWhole) || refused || !image.Whole()) return std::nullopt;
  return records;
}

// The round trip of a plain BMP image's writer image through `layout`, piece by piece.
void CheckRoundTrip(TStream& input, TBmpLayout layout) {
  TPlainImage image(input, *PlainRows(input));
  const uint64_t base = blz::PayloadStart(layout);
  const uint64_t total = image.Size() - base;
  blocks::RunInOrder(
      blocks::ThreadsFor(total / kPiece + 1),
      [&](blocks::TPiece& piece) {
        const uint64_t offset = uint64_t{piece.index} * kPiece;
        if (offset > total) return false;
        piece.inSize = static_cast<size_t>(std::min<uint64_t>(total - offset, kPiece));
        image.Fill(piece.inBuffer, base + offset, piece.inSize);
        std::memset(piece.inBuffer + piece.inSize, 0, 2);
        piece.in = piece.inBuffer;
        return true;
      },
      [](blocks::TPiece& piece) {
        thread_local uint8_t restored[lzrw1kh::kWorkBufferSize];
        const uint16_t length = CompressBlock(piece.in, piece.outBuffer, uint16_t(piece.inSize));
        const size_t produced = DecompressBlock(piece.outBuffer, restored, length, kPiece);
        piece.outSize = produced == piece.inSize &&
                        std::memcmp(restored, piece.in, piece.inSize) == 0; // 1: the same
      },
      [&](blocks::TPiece& piece) {
        if (!piece.outSize)
          ThrowBlzError(layout == TBmpLayout::PackedBitmap ? TBlzError::PackedRoundTrip
                                                           : TBlzError::StreamRoundTrip);
        return true;
      });
}

// The unpack of an opened input; `rows` are a plain image's.
TPath Unpack(TStream& input, const TBlzInput& blz, std::optional<TPlainBmpRows>& rows,
             TStream& out) {
  if (blz.layout != TBmpLayout::Plain) {
    TRestoredImage image(blz.storedSize, &out);
    return ExpandRecords(input, blz, image) ? TPath::Streamed : TPath::Whole;
  }
  TPlainImage image(input, std::move(*rows));
  std::vector<uint8_t> buffer(kPiece);
  for (uint64_t at = 0; at < image.Size(); at += kPiece) {
    const size_t count = static_cast<size_t>(std::min<uint64_t>(kPiece, image.Size() - at));
    image.Fill(buffer.data(), at, count);
    out.WriteBuffer(buffer.data(), static_cast<int64_t>(count));
  }
  return TPath::Streamed;
}

// Whether the whole record at `at` expands to fewer than 32768 bytes.
bool BlockIsShort(TStream& input, int64_t at) {
  std::vector<uint8_t> record(blocks::kBufferSize), out(lzrw1kh::kWorkBufferSize);
  input.SetPosition(at);
  input.ReadBuffer(record.data(), blz::kRecordFrameSize);
  const size_t length = LoadU16LE(record.data());
  input.ReadBuffer(record.data() + blz::kRecordFrameSize, static_cast<int64_t>(length));
  return DecompressBlock(record.data() + blz::kRecordFrameSize, out.data(), length, kPiece) <
         kPiece;
}

std::optional<TInfoFigures> PlainInfo(std::span<const uint8_t> head, int64_t onDisk) {
  if (head.size() < 2 || head[0] != 'B' || head[1] != 'M') return std::nullopt;
  const std::optional<TPlainBmpRows> rows = PlainBmpRows(head, static_cast<uint64_t>(onDisk));
  if (!rows) return std::nullopt;
  TInfoFigures figures;
  figures.width = rows->width, figures.height = rows->height;
  figures.bitsPerPixel = rows->bitsPerPixel, figures.onDisk = onDisk;
  return figures;
}

// Where a BLZ input's records start, its stored size, and the BMP headers: the packed bitmap
// keeps them as they are, the BLZ stream layout holds them at the start of its first block,
// which is the one block expanded.
struct TBlzStart {
  int64_t storedSize = 0;
  int64_t recordsAt = 0;
  std::vector<uint8_t> bmpHead;
};

TBlzStart ReadBlzStart(std::span<const uint8_t> head, TBmpLayout layout) {
  TBlzStart start;
  start.recordsAt = static_cast<int64_t>(blz::RecordsStart(layout));
  if (layout == TBmpLayout::PackedBitmap) {
    if (head.size() < blz::kPackedHeaderSize) ThrowBlzError(TBlzError::Truncated);
    const blz::TPackedHeader packed = blz::ReadPackedHeader(head);
    start.storedSize = packed.storedSize;
    if (start.storedSize <= 0) ThrowBlzError(TBlzError::NoStoredSize);
    start.bmpHead.assign(packed.bmpHeaders.begin(), packed.bmpHeaders.end());
    return start;
  }
  start.storedSize = blz::ReadStreamHeader(head);
  const std::span<const uint8_t> records = head.subspan(blz::kStreamHeaderSize);
  const size_t length = blz::ReadRecordFrame(records.data(), records.size());
  start.bmpHead.resize(lzrw1kh::kWorkBufferSize);
  start.bmpHead.resize(DecompressBlock(records.data() + blz::kRecordFrameSize, start.bmpHead.data(),
                                       length, kPiece));
  return start;
}

// The figures of the BMP headers when they are the writer's own; nullopt for anything else,
// left to the whole-picture path and its errors.
std::optional<TInfoFigures> WriterHeadInfo(std::span<const uint8_t> bmpHead) {
  if (bmpHead.size() < kBmpHeadersSize) return std::nullopt;
  const TBmpFileHeader file = ReadBmpFileHeader(bmpHead.data());
  const TBmpInfoHeader info = ReadBmpInfoHeader(bmpHead.data() + kBmpFileHeaderSize);
  const bool alphaHeader =
      info.size == kBmpV5HeaderSize && info.compression == kBmpBitFields && info.bitsPerPixel == 32;
  if (file.signature != kBmpSignature || (info.size != kBmpInfoHeaderSize && !alphaHeader))
    return std::nullopt;
  TInfoFigures figures;
  figures.width = info.width;
  figures.height = static_cast<int>(std::abs(int64_t{info.height}));
  figures.bitsPerPixel = info.bitsPerPixel;
  figures.imageSize = file.fileSize;
  return figures;
}

// The records the stored size promises, each frame's length read, none expanded. An input
// that ends at a frame before that is whole only if its last block is a short piece: the one
// case where a block is expanded to tell.
size_t CountRecords(TStream& input, const TBlzStart& start, TBmpLayout layout, int64_t onDisk) {
  const int64_t payload = start.storedSize - static_cast<int64_t>(blz::PayloadStart(layout));
  const int64_t promised = payload < 0 ? 1 : payload / int64_t(kPiece) + 1;
  int64_t at = start.recordsAt, last = 0;
  size_t records = 0;
  for (; records < static_cast<uint64_t>(promised); ++records) {
    uint8_t frame[blz::kRecordFrameSize];
    input.SetPosition(at);
    const int64_t got = input.Read(frame, sizeof frame);
    if (got == 0 && records > 0 && BlockIsShort(input, last)) break;
    const size_t available = got < 2 ? static_cast<size_t>(got) : static_cast<size_t>(onDisk - at);
    const size_t length = blz::ReadRecordFrame(frame, available);
    last = at;
    at += static_cast<int64_t>(blz::kRecordFrameSize + length);
  }
  return records;
}

std::optional<TInfoFigures> BlzInfo(TStream& input, std::span<const uint8_t> head,
                                    TBmpLayout layout, int64_t onDisk) {
  const TBlzStart start = ReadBlzStart(head, layout);
  std::optional<TInfoFigures> figures = WriterHeadInfo(start.bmpHead);
  if (!figures) return std::nullopt;
  figures->layout = layout;
  figures->storedSize = start.storedSize;
  figures->records = CountRecords(input, start, layout, onDisk);
  figures->onDisk = onDisk;
  return figures;
}

// A damaged input can send the piecewise path back to the whole picture after rows went
// out. Standard output then takes them back when it is a regular file; a pipe keeps them, and
// the whole-picture path's bytes go on after them, once the piecewise path is seen to give
// the same first bytes again.
class TComparingSink : public TStream {
public:
  TComparingSink(std::span<const uint8_t> expected, int64_t length)
      : expected_(expected), length_(length) {}
  int64_t Read(void*, int64_t) override { return 0; }
  int64_t Seek(int64_t, TSeekOrigin) override { return at_; }
  int64_t Write(const void* buffer, int64_t count) override {
    const int64_t checked = std::min(count, std::max<int64_t>(length_ - at_, 0));
    if (checked > 0 && (at_ + checked > int64_t(expected_.size()) ||
                        std::memcmp(expected_.data() + at_, buffer, size_t(checked)) != 0))
      same_ = false;
    at_ += count;
    return count;
  }
  bool Same() const { return same_ && at_ >= length_; }

private:
  std::span<const uint8_t> expected_;
  int64_t length_, at_ = 0;
  bool same_ = true;
};

TPath UnpackToStandardOutput(TStream& input) {
  TStandardOutput out;
  if (StreamUnpack(input, out) == TPath::Streamed) {
    out.Flush();
    return TPath::Streamed;
  }
  if (out.TakeBack()) return TPath::Whole;
  TUniBitmap whole;
  input.SetPosition(0);
  whole.LoadFromStream(input);
  TMemoryStream bytes;
  whole.SaveToStream(bytes);
  TComparingSink sent(bytes.Bytes(), out.Sent());
  StreamUnpack(input, sent);
  if (!sent.Same())
    throw EWriteError("The damaged input's first bytes already went to standard output");
  out.WriteBuffer(bytes.Memory() + out.Sent(), bytes.Size() - out.Sent());
  out.Flush();
  return TPath::Streamed;
}

} // namespace

bool ReadsDirectly(const std::string& fileName, const std::string& format) {
  return format.empty() && ReadByBitmapItself(fileName);
}

TPath StreamPack(TStream& input, TBmpLayout layout, const std::string& output) {
  std::optional<TPlainBmpRows> rows = PlainRows(input);
  if (!rows) return TPath::Whole;
  TPlainImage image(input, std::move(*rows));
  WriteOutput(output, [&](TStream& out) {
    const auto header =
        blz::LayoutHeader(layout, image.Head(), static_cast<uint32_t>(image.Size()));
    out.WriteBuffer(header.data(), static_cast<int64_t>(header.size()));
    const uint64_t base = blz::PayloadStart(layout);
    blocks::WriteRecords(
        image.Size() - base,
        [&](uint8_t* to, uint64_t offset, size_t count) { image.Fill(to, base + offset, count); },
        out);
  });
  return TPath::Streamed;
}

TPath StreamUnpack(TStream& input, TStream& out) {
  const std::optional<TBlzInput> blz = OpenBlz(input);
  if (!blz) return TPath::Whole;
  std::optional<TPlainBmpRows> rows;
  if (blz->layout == TBmpLayout::Plain && !(rows = PlainRows(input))) return TPath::Whole;
  return Unpack(input, *blz, rows, out);
}

TPath StreamUnpack(TStream& input, const std::string& output) {
  if (IsStandardOutput(output)) return UnpackToStandardOutput(input);
  // The output is written as the input is read; only a writer that throws makes the safe
  // save keep the old file, so a path found half-way leaves by this one exception.
  struct TAbandon {};
  try {
    WriteOutput(output, [&](TStream& out) {
      if (StreamUnpack(input, out) == TPath::Whole) throw TAbandon{};
    });
  } catch (const TAbandon&) {
    return TPath::Whole;
  }
  return TPath::Streamed;
}

std::optional<std::string> StreamVerify(TStream& input, const std::string& name, bool plainToo) {
  const std::optional<TBlzInput> blz = OpenBlz(input);
  if (!blz) return std::nullopt;
  if (blz->layout == TBmpLayout::Plain) {
    if (!plainToo || !PlainRows(input)) return std::nullopt;
    for (TBmpLayout layout : {TBmpLayout::PackedBitmap, TBmpLayout::BLZStream})
      CheckRoundTrip(input, layout);
    return name + ": OK (round trip in both layouts)";
  }
  TRestoredImage image(blz->storedSize, nullptr);
  const std::optional<size_t> records = ExpandRecords(input, *blz, image);
  if (!records) return std::nullopt;
  return name + ": OK (" + LayoutName(blz->layout) + ", " + std::to_string(*records) + " records)";
}

std::optional<TInfoFigures> HeaderInfo(TStream& input) {
  const int64_t onDisk = input.Size();
  const std::vector<uint8_t> head = ReadHead(input);
  const TBmpLayout layout = RecognizeLayout(head);
  return layout == TBmpLayout::Plain ? PlainInfo(head, onDisk)
                                     : BlzInfo(input, head, layout, onDisk);
}
