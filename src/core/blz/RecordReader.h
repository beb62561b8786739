// Reading the block records of a BLZ file, the same way for every reader: the frame of each
// record, the cap on what the records may restore, and the rule that ends the image and tells
// damage that matters from damage beyond the last record.
//
// A record is a u16 length L and an L-byte block; L above the work buffer, or a record cut off
// by the end of the data, is damage. The last record is the first whose block expands to fewer
// than 32768 bytes. Damage found while the records before it are still being expanded counts
// only when every one of them expanded to a whole piece: one thread would never have reached
// it otherwise.
#pragma once

#include "blz/BlockPool.h"
#include "blz/BlzErrors.h"
#include "io/Limits.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

class TStream;
class TMemoryStream;

namespace blz {

// No image within the size limits restores to more: records beyond are damage (TooLarge).
inline constexpr uint64_t kMaxRestoredBytes = limits::kMaxBitmapBytes + (1 << 20);

// The records one after another, from memory or from a stream. Not for several threads at
// once: the block pool's takes call it one at a time.
class TRecordReader {
public:
  explicit TRecordReader(std::span<const uint8_t> records) : bytes_(records) {}
  explicit TRecordReader(TStream& stream) : stream_(&stream) {}

  struct TRecord {
    const uint8_t* block = nullptr;
    size_t length = 0;
  };
  // The next record's block, read from a stream into `buffer` (blocks::kBufferSize bytes; a
  // block in memory stays where it is). `restored` is how much of the image comes before this
  // record's piece. nullopt at damage, whose kind Damage() then gives; the reader stays there.
  std::optional<TRecord> Next(uint64_t restored, uint8_t* buffer = nullptr);
  TBlzError Damage() const { return damage_; }
  // How many whole records follow in memory, counting up to `most`; none are read.
  size_t WholeRecordsAhead(size_t most) const;
  // Throws the damage as the readers raise it.
  [[noreturn]] void ThrowDamage() const { ThrowBlzError(damage_); }

private:
  std::optional<TRecord> Fail(TBlzError kind) {
    damage_ = kind;
    return std::nullopt;
  }

  std::span<const uint8_t> bytes_;
  size_t at_ = 0;
  TStream* stream_ = nullptr;
  TBlzError damage_ = TBlzError::Truncated;
};

// What an expansion of records found.
struct TExpansion {
  size_t records = 0;   // records expanded and handed on, the last included
  bool ended = false;   // the last record was reached
  bool damaged = false; // damage that counts (see above)
  bool stopped = false; // the hand-on refused a piece
};

// Expands the records of `reader` in order on `threads` threads. `work` expands a taken piece
// (piece.in, piece.inSize) and sets piece.out/outSize; by default into piece.outBuffer. `put`
// gets every expanded piece in order and returns false to stop. `restoredBefore` counts the
// image before the first record's piece against the cap; `take` may refuse a piece before it
// is read (false: no such piece).
using TTakeGate = std::function<bool(size_t index)>;
TExpansion ExpandRecords(TRecordReader& reader, unsigned threads, uint64_t restoredBefore,
                         const blocks::TCheckedStep& put, const blocks::TStep& work = {},
                         const TTakeGate& take = {});

} // namespace blz

namespace blocks {
// Reads block records from `records` and appends what they expand to, after whatever `image`
// already holds. Stops after the last record and returns the number of records read. A damaged
// file ends the loop with its EBlzError (Truncated, RecordTooLong, TooLarge); `image` then holds
// what the records before it expanded to.
size_t ReadRecords(std::span<const uint8_t> records, TMemoryStream& image);
} // namespace blocks
