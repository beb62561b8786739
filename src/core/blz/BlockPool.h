// Block records on several threads. Blocks share no state, so the pieces of one payload can be
// coded on every core; what comes out is written in piece order, so the bytes are exactly
// those of one thread.
//
// One job runs pieces 0, 1, 2, … through three steps:
//   take  (one thread at a time, in piece order)  fetch the input of the next piece
//   work  (on every thread at once)               code it in the thread's own buffers
//   put   (one thread at a time, in piece order)  hand the result on
// A thread takes a few pieces at a time; a job keeps at most four such batches per thread in
// flight, each piece in two work buffers.
// A take that throws, or a put that stops the job, ends it at that piece: later pieces that
// were already taken are dropped, their errors too, just as one thread would never reach them.
#pragma once

#include "codec/LZRW1KH.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

class TStream;
class TMemoryStream;

namespace blocks {

// Room of each work buffer: a whole record, its 2-byte length included, and the coder's
// overrun.
inline constexpr size_t kBufferSize = lzrw1kh::kWorkBufferSize + 2;

struct TPiece {
  size_t index = 0;
  uint8_t* inBuffer = nullptr; // the thread's own buffers, kBufferSize bytes each
  uint8_t* outBuffer = nullptr;
  const uint8_t* in = nullptr; // the input: inBuffer or bytes that outlive the job
  size_t inSize = 0;
  const uint8_t* out = nullptr; // the result: outBuffer or where `work` put it
  size_t outSize = 0;
};

using TStep = std::function<void(TPiece&)>;
using TCheckedStep = std::function<bool(TPiece&)>;

// Runs one job on `threads` threads (the calling one among them). `take` returns false when
// there is no piece of that index; `put` returns false to end the job after this piece. The
// first error of a take or a put, in piece order, is rethrown.
void RunInOrder(unsigned threads, const TCheckedStep& take, const TStep& work,
                const TCheckedStep& put);

// Threads for a job of `pieces` pieces: one per core for a large image, one for a small one.
unsigned ThreadsFor(size_t pieces);
// Fixes the thread count of every job from now on (0: back to ThreadsFor's own choice).
// For tests and the benchmark.
void SetThreads(unsigned threads);

// Writes the block records of the payload `head` followed by `rows`: 32768-byte pieces, each a
// u16 length and a block; a payload that is a multiple of 32768 long (0 included) ends with an
// empty piece.
void WriteRecords(std::span<const uint8_t> head, std::span<const uint8_t> rows, TStream& out);
// The same for a payload of `total` bytes that `fill`(to, offset, count) fetches, in order.
using TFill = std::function<void(uint8_t* to, uint64_t offset, size_t count)>;
void WriteRecords(uint64_t total, const TFill& fill, TStream& out);

} // namespace blocks
