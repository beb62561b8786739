#include "blz/RecordReader.h"

#include "blz/BlzContainer.h"
#include "codec/LZRW1KH.h"
#include "io/ByteReader.h"
#include "io/Exceptions.h"
#include "io/Streams.h"

#include <algorithm>

namespace {
constexpr size_t kPiece = lzrw1kh::kMaxBlockInput;
// A load restores at most this many pieces (8 MiB) between two growths of its image.
constexpr size_t kWindow = 256;
} // namespace

namespace blz {

std::optional<TRecordReader::TRecord> TRecordReader::Next(uint64_t restored, uint8_t* buffer) {
  TRecord record;
  if (stream_) {
    const int64_t got = stream_->Read(buffer, kRecordFrameSize);
    if (got < static_cast<int64_t>(kRecordFrameSize)) return Fail(TBlzError::Truncated);
    record.length = LoadU16LE(buffer);
    if (record.length > lzrw1kh::kWorkBufferSize) return Fail(TBlzError::RecordTooLong);
    record.block = buffer + kRecordFrameSize;
    if (stream_->Read(buffer + kRecordFrameSize, static_cast<int64_t>(record.length)) !=
        static_cast<int64_t>(record.length))
      return Fail(TBlzError::Truncated);
  } else {
    const uint8_t* const frame = bytes_.data() + at_;
    const size_t available = bytes_.size() - at_;
    const std::optional<size_t> length = WholeRecordFrame(frame, available);
    if (!length)
      return Fail(available >= kRecordFrameSize && LoadU16LE(frame) > lzrw1kh::kWorkBufferSize
                      ? TBlzError::RecordTooLong
                      : TBlzError::Truncated);
    record.length = *length;
    record.block = frame + kRecordFrameSize;
  }
  if (restored + kPiece > kMaxRestoredBytes) return Fail(TBlzError::TooLarge);
  at_ += kRecordFrameSize + record.length;
  return record;
}

size_t TRecordReader::WholeRecordsAhead(size_t most) const {
  size_t count = 0;
  for (size_t at = at_; count < most; ++count) {
    const std::optional<size_t> length = WholeRecordFrame(bytes_.data() + at, bytes_.size() - at);
    if (!length) break;
    at += kRecordFrameSize + *length;
  }
  return count;
}

TExpansion ExpandRecords(TRecordReader& reader, unsigned threads, uint64_t restoredBefore,
                         const blocks::TCheckedStep& put, const blocks::TStep& work,
                         const TTakeGate& take) {
  TExpansion result;
  // Set by the takes and by the puts, which may run at the same time on different threads;
  // read once the job is over.
  bool damaged = false, lastWhole = true;
  blocks::RunInOrder(
      threads,
      [&](blocks::TPiece& piece) {
        if (take && !take(piece.index)) return false;
        const auto record =
            reader.Next(restoredBefore + uint64_t{piece.index} * kPiece, piece.inBuffer);
        if (!record) {
          damaged = true;
          return false;
        }
        piece.in = record->block;
        piece.inSize = record->length;
        return true;
      },
      [&](blocks::TPiece& piece) {
        if (work) return work(piece);
        piece.outSize = DecompressBlock(piece.in, piece.outBuffer, piece.inSize, kPiece);
        piece.out = piece.outBuffer;
      },
      [&](blocks::TPiece& piece) {
        result.records = piece.index + 1;
        lastWhole = piece.outSize == kPiece;
        result.stopped = !put(piece);
        return lastWhole && !result.stopped;
      });
  result.ended = !lastWhole;
  result.damaged = damaged && lastWhole;
  return result;
}

} // namespace blz

namespace blocks {

size_t ReadRecords(std::span<const uint8_t> records, TMemoryStream& image) {
  // Every piece expands straight into its place in the image, which grows a window of pieces
  // at a time, as the data really expands: a file of many small records reserves no more than
  // it restores.
  blz::TRecordReader reader(records);
  const auto base = static_cast<uint64_t>(image.Size());
  image.SetPosition(static_cast<int64_t>(base));
  size_t count = 0;
  for (size_t first = 0;;) {
    // The whole records ahead, and the damaged one after them if any: its damage counts only
    // once the pieces before it are seen to be whole.
    const size_t pieces = std::min(kWindow, reader.WholeRecordsAhead(kWindow) + 1);
    uint8_t* const target = image.PrepareWrite(static_cast<int64_t>(pieces * kPiece));
    size_t produced = 0;
    blz::TExpansion window;
    try {
      window = blz::ExpandRecords(
          reader, ThreadsFor(pieces), base + first * kPiece,
          [&](TPiece& piece) {
            produced += piece.outSize;
            return true;
          },
          [&](TPiece& piece) {
            piece.out = target + piece.index * kPiece;
            piece.outSize =
                DecompressBlock(piece.in, target + piece.index * kPiece, piece.inSize, kPiece);
          },
          [&](size_t index) { return index < pieces; });
    } catch (...) {
      image.CommitWrite(static_cast<int64_t>(produced));
      throw;
    }
    image.CommitWrite(static_cast<int64_t>(produced));
    count = first + window.records;
    if (window.damaged) reader.ThrowDamage();
    if (window.ended) return count;
    first += pieces;
  }
}

} // namespace blocks
