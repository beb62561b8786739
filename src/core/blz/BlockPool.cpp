#include "blz/BlockPool.h"

#include "blz/BlzContainer.h"

#include "io/ByteReader.h"
#include "io/Streams.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace blocks {

namespace {

constexpr size_t kPiece = lzrw1kh::kMaxBlockInput;
// Below this many pieces (2 MiB) starting threads costs more than it saves.
constexpr size_t kParallelFrom = 64;
constexpr unsigned kMostThreads = 16;
// A thread takes a few pieces at a time: a fast piece (a flat picture's takes some 10 µs)
// would otherwise spend a good part of its time waiting for the lock.
constexpr size_t kBatch = 4;
constexpr unsigned kSlotsPerThread = 4 * kBatch;
std::atomic<unsigned> fixedThreads{0};

// Pieces in flight live in a ring of slots, a few per thread. A thread that finishes a piece
// does not wait for its turn: it leaves it done, and whoever finishes the piece that is due
// puts it and every done piece after it. So a thread that the machine holds up stalls the
// others only once the ring is full.
struct TJob {
  struct TSlot {
    std::unique_ptr<uint8_t[]> in = std::make_unique_for_overwrite<uint8_t[]>(kBufferSize);
    std::unique_ptr<uint8_t[]> out = std::make_unique_for_overwrite<uint8_t[]>(kBufferSize);
    TPiece piece;
    bool present = false, done = false;
    std::exception_ptr takeError;
  };

  TJob(unsigned threads, const TCheckedStep& t, const TStep& w, const TCheckedStep& p)
      : take(t), work(w), put(p), batch(threads == 1 ? 1 : kBatch),
        slots(threads == 1 ? 1 : threads * kSlotsPerThread) {}
  const TCheckedStep& take;
  const TStep& work;
  const TCheckedStep& put;
  const size_t batch; // pieces taken at once

  std::mutex mutex;
  std::condition_variable room; // a slot came free
  std::vector<TSlot> slots;
  size_t nextTake = 0, nextPut = 0;
  bool ended = false;    // no piece after those already taken is wanted
  bool finished = false; // a piece, in order, ended the job
  std::exception_ptr error;

  void Worker() {
    std::unique_lock lock(mutex);
    for (;;) {
      room.wait(lock, [&] { return ended || nextTake - nextPut + batch <= slots.size(); });
      if (ended) return;
      const size_t first = nextTake;
      for (size_t n = 0; n < batch && !ended; ++n) {
        TSlot& slot = slots[nextTake % slots.size()];
        slot.piece =
            TPiece{.index = nextTake++, .inBuffer = slot.in.get(), .outBuffer = slot.out.get()};
        slot.takeError = nullptr;
        try {
          slot.present = take(slot.piece);
        } catch (...) {
          slot.present = false;
          slot.takeError = std::current_exception();
        }
        if (!slot.present) ended = true;
      }
      const size_t end = nextTake;
      lock.unlock();
      for (size_t index = first; index < end; ++index)
        if (TSlot& slot = slots[index % slots.size()]; slot.present) work(slot.piece);
      lock.lock();
      for (size_t index = first; index < end; ++index)
        slots[index % slots.size()].done = true;
      PutDone();
    }
  }

  // Puts the done pieces that are due, in order; holds the lock.
  void PutDone() {
    bool freed = false;
    for (TSlot* due; nextPut < nextTake && (due = &slots[nextPut % slots.size()])->done;) {
      // Once an earlier piece ended the job, one thread would never reach this one.
      if (!finished) {
        try {
          if (due->takeError) std::rethrow_exception(due->takeError);
          if (!due->present || !put(due->piece)) finished = true;
        } catch (...) {
          error = std::current_exception();
          finished = true;
        }
        if (finished) ended = true;
      }
      due->done = false;
      ++nextPut;
      freed = true;
    }
    if (freed) room.notify_all();
  }
};

// One record: the block's length, then the block.
void Compress(TPiece& piece) {
  const uint16_t length = CompressBlock(piece.in, piece.outBuffer + blz::kRecordFrameSize,
                                        static_cast<uint16_t>(piece.inSize));
  blz::WriteRecordFrame(piece.outBuffer, length);
  piece.out = piece.outBuffer;
  piece.outSize = length + blz::kRecordFrameSize;
}

} // namespace

void RunInOrder(unsigned threads, const TCheckedStep& take, const TStep& work,
                const TCheckedStep& put) {
  TJob job(threads, take, work, put);
  std::vector<std::thread> helpers;
  try {
    for (unsigned t = 1; t < threads; ++t)
      helpers.emplace_back([&job] { job.Worker(); });
  } catch (const std::system_error&) {
    // No more threads to be had: the ones that started do the work.
  }
  job.Worker();
  for (std::thread& helper : helpers)
    helper.join();
  if (job.error) std::rethrow_exception(job.error);
}

unsigned ThreadsFor(size_t pieces) {
  if (unsigned fixed = fixedThreads) return fixed;
  if (pieces < kParallelFrom) return 1;
  return std::clamp(std::thread::hardware_concurrency(), 1u, kMostThreads);
}

void SetThreads(unsigned threads) {
  fixedThreads = std::min(threads, kMostThreads);
}

namespace {

// Codes the pieces of a payload of `total` bytes in order and writes their records; `fetch`
// sets the input of a piece whose size is already set, from the payload at `offset`.
void CompressInOrder(uint64_t total, const std::function<void(TPiece&, uint64_t)>& fetch,
                     TStream& out) {
  const uint64_t pieces = total / kPiece + 1;
  RunInOrder(
      ThreadsFor(pieces),
      [&](TPiece& piece) {
        if (piece.index == pieces) return false;
        const uint64_t offset = uint64_t{piece.index} * kPiece;
        piece.inSize = static_cast<size_t>(std::min<uint64_t>(total - offset, kPiece));
        fetch(piece, offset);
        return true;
      },
      Compress,
      [&](TPiece& piece) {
        out.WriteBuffer(piece.out, static_cast<int64_t>(piece.outSize));
        return true;
      });
}

} // namespace

void WriteRecords(std::span<const uint8_t> head, std::span<const uint8_t> rows, TStream& out) {
  const size_t total = head.size() + rows.size();
  CompressInOrder(
      total,
      [&](TPiece& piece, uint64_t offset) {
        // The coder may look 2 bytes past its input: inside the rows that is harmless; a piece
        // at the end or across the head goes through the work buffer.
        if (offset >= head.size() && total - offset - piece.inSize >= 2) {
          piece.in = rows.data() + (offset - head.size());
          return;
        }
        uint8_t* to = piece.inBuffer;
        size_t from = static_cast<size_t>(offset), left = piece.inSize;
        if (from < head.size()) {
          const size_t n = std::min(left, head.size() - from);
          std::memcpy(to, head.data() + from, n);
          to += n, from += n, left -= n;
        }
        if (left) std::memcpy(to, rows.data() + (from - head.size()), left);
        std::memset(piece.inBuffer + piece.inSize, 0, 2);
        piece.in = piece.inBuffer;
      },
      out);
}

void WriteRecords(uint64_t total, const TFill& fill, TStream& out) {
  CompressInOrder(
      total,
      [&](TPiece& piece, uint64_t offset) {
        fill(piece.inBuffer, offset, piece.inSize);
        std::memset(piece.inBuffer + piece.inSize, 0, 2);
        piece.in = piece.inBuffer;
      },
      out);
}

} // namespace blocks
