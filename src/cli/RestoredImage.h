// A BLZ input expanded piece by piece into the bytes the writer would make of its image: what
// unpack and verify stream from a BLZ input.
#pragma once

#include "blz/BlzContainer.h"
#include "cli/PlainImage.h"

#include <optional>

namespace streaming {

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
std::optional<TBlzInput> OpenBlz(TStream& input);

// Expands the records of `blz` in order into `image`; returns the record count, or nullopt
// for a damaged input, one beyond the size limit, or a stored size the image does not end at.
std::optional<size_t> ExpandRecords(TStream& input, const TBlzInput& blz, TRestoredImage& image);

} // namespace streaming
