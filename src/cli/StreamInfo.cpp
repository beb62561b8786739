// info's figures from the headers and the record frames alone.
#include "cli/Streaming.h"

#include "blz/BlockPool.h"
#include "blz/BlzErrors.h"
#include "cli/PlainImage.h"
#include "io/ByteReader.h"

#include <cstdlib>

using namespace streaming;

namespace {

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

} // namespace

std::optional<TInfoFigures> HeaderInfo(TStream& input) {
  const int64_t onDisk = input.Size();
  const std::vector<uint8_t> head = ReadHead(input);
  const TBmpLayout layout = RecognizeLayout(head);
  return layout == TBmpLayout::Plain ? PlainInfo(head, onDisk)
                                     : BlzInfo(input, head, layout, onDisk);
}
