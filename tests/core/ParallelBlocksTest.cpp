#include "TestSupport.h"
#include "blz/BlockPool.h"
#include "blz/UniBmp.h"
#include "io/ByteReader.h"
#include "io/Exceptions.h"
#include "io/Streams.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>

namespace {

using Bytes = std::vector<uint8_t>;
constexpr size_t kPiece = lzrw1kh::kMaxBlockInput;

// Fixes the thread count for one scope.
struct Threads {
  explicit Threads(unsigned n) { blocks::SetThreads(n); }
  ~Threads() { blocks::SetThreads(0); }
};

// Flat stretches, repeats and noise, so that pieces code to very different lengths.
Bytes Mixed(size_t size) {
  Bytes bytes(size);
  std::mt19937 random(7);
  for (size_t i = 0; i < size; ++i)
    bytes[i] = (i / 5000) % 3 == 0 ? uint8_t(random()) : (i / 5000) % 3 == 1 ? 9 : uint8_t(i % 7);
  return bytes;
}

Bytes Records(const Bytes& head, const Bytes& rows) {
  return testsupport::Saved([&](TStream& out) { blocks::WriteRecords(head, rows, out); });
}

// The outcome of restoring `file` with `threads` threads: the error text, and what the image
// held when the restore ended.
struct Restored {
  std::string error;
  Bytes image;
  std::string loadError; // what loading the file into a bitmap says
  size_t records = 0;
  bool operator==(const Restored&) const = default;
};

Restored Restore(const Bytes& file, unsigned threads) {
  Threads fixed(threads);
  Restored result;
  TMemoryStream image;
  try {
    result.records = RestoreBmpImage(file, image).records;
  } catch (const Exception& e) {
    result.error = e.what();
  }
  result.image.assign(image.Bytes().begin(), image.Bytes().end());
  result.loadError =
      testsupport::ThrownText<Exception>([&] { testsupport::Loaded<TUniBitmap>(file); });
  return result;
}

TEST(ParallelBlocks, SameRecordsAsOneThreadAtEveryBoundary) {
  // {payload size, head size}: empty, a byte, either side of a piece, a last piece of one
  // byte, and heads that end inside the first and the third piece.
  const std::pair<size_t, size_t> cases[] = {{0, 0},
                                             {1, 1},
                                             {32767, 54},
                                             {32768, 54},
                                             {32769, 54},
                                             {5 * kPiece + 1, 0},
                                             {70 * kPiece, 0},
                                             {70 * kPiece + 3, 1078},
                                             {257 * kPiece + 5, 54},
                                             {71 * kPiece - 9, 3 * kPiece - 1}};
  for (auto [size, headSize] : cases) {
    SCOPED_TRACE(testing::Message() << size << " bytes, head " << headSize);
    const Bytes payload = Mixed(size);
    const Bytes head(payload.begin(), payload.begin() + headSize);
    const Bytes rows(payload.begin() + headSize, payload.end());
    // One thread, piece by piece, as the format describes it.
    Bytes expected;
    Bytes padded = payload;
    padded.resize(size + 2);
    for (size_t at = 0;; at += kPiece) {
      const size_t n = std::min(kPiece, size - at);
      uint8_t block[lzrw1kh::kWorkBufferSize + 2];
      const uint16_t length = CompressBlock(padded.data() + at, block, uint16_t(n));
      expected.insert(expected.end(), {uint8_t(length), uint8_t(length >> 8)});
      expected.insert(expected.end(), block, block + length);
      if (n != kPiece) break;
    }
    for (unsigned threads : {1u, 2u, 5u}) {
      Threads fixed(threads);
      ASSERT_EQ(Records(head, rows), expected) << threads << " threads";
      Bytes file = {'L', 'Z', 'R', 'W', 0, 0, 0, 0};
      file.insert(file.end(), expected.begin(), expected.end());
      EXPECT_EQ(Restore(file, threads).image, payload) << threads << " threads";
    }
  }
}

TEST(ParallelBlocks, DamageInTheMiddleEndsTheLoadAsOnOneThread) {
  TUniBitmap bitmap;
  bitmap.Allocate(2000, 400, TPixelFormat::pf24bit);
  const Bytes pixels = Mixed(bitmap.Bits().size());
  std::memcpy(bitmap.Bits().data(), pixels.data(), pixels.size());
  const Bytes file = testsupport::Saved([&](TStream& out) { bitmap.SaveToBLZStream(out); });
  // Where record 40 starts.
  size_t at = 8;
  for (int i = 0; i < 40; ++i)
    at += 2 + LoadU16LE(file.data() + at);

  const struct {
    const char* name;
    std::function<void(Bytes&)> damage;
    const char* error; // empty: the records restore, to a shorter image
  } cases[] = {
      {"cut inside a record", [&](Bytes& f) { f.resize(at + 100); }, "truncated"},
      {"cut between records", [&](Bytes& f) { f.resize(at); }, "truncated"},
      {"record too long", [&](Bytes& f) { StoreU16LE(f.data() + at, 40000); }, "too long"},
      // A first item that copies from before the block's start: decoding stops at once.
      {"undecodable block",
       [&](Bytes& f) { std::memcpy(f.data() + at + 2, "\x40\x80\x00\xFF\xF0", 5); }, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes damaged = file;
    c.damage(damaged);
    const Restored one = Restore(damaged, 1);
    EXPECT_NE(one.error.find(c.error), std::string::npos) << one.error;
    EXPECT_EQ(one.image.size(), 40 * kPiece);
    EXPECT_FALSE(one.loadError.empty());
    for (unsigned threads : {2u, 4u})
      EXPECT_EQ(Restore(damaged, threads), one) << threads << " threads";
  }
}

} // namespace
