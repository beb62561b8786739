#include "codec/LZRW1KH.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The coder below makes exactly the blocks of the plain step-by-step algorithm (one item per
// step: run of 16+ equal bytes, else one hash probe, then copy of 3..18 bytes or a literal);
// it only does each step with fewer instructions. It never reads more than 2 bytes past the
// input: wide loads are used where they stay inside the input, the last 17 bytes go bytewise.

namespace {

using lzrw1kh::kMaxMatch;
using lzrw1kh::kMaxRun;
using lzrw1kh::kMinMatch;
using lzrw1kh::kMinRun;
using lzrw1kh::kWindow;
// Hashes are computed ahead for this many positions at a time while literals dominate.
constexpr unsigned kHashChunk = 128;

// A table entry holds the position in its low 16 bits and the two bytes that follow the
// position's first byte in its high 16 bits. The slot (the hash) determines the first byte
// once those two are known, so an entry tells without a look at the input whether its
// position starts with the same three bytes: then, and only then, the high halves agree, and
// (key | x) - entry is the distance back, below 4096 exactly when the candidate is in reach.
// Any other pair of keys, and the empty entry, give a difference of 16192 or more.
constexpr uint8_t kEmptyByte = 0xC0; // position 0xC0C0: beyond every block, unlike 0xFFFF
                                     // it cannot pass for a near position with a key of 0
constexpr uint32_t kPositionMask = 0xFFFF;

// One table per thread: the batch CLI compresses on several threads at once. The hashes
// computed ahead (indexed by input position) lie behind it, so one base register reaches both.
struct TWorkArea {
  uint32_t table[4096];
  uint16_t hashes[lzrw1kh::kMaxBlockInput];
};
thread_local TWorkArea workArea;

static_assert(std::endian::native == std::endian::little,
              "word-wide compares count matching bytes from the low end");

inline uint64_t Load64(const uint8_t* p) {
  uint64_t value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

// The key of the position whose first 8 bytes are `word`: its second and third byte.
inline uint32_t KeyOf(uint64_t word) {
  return (static_cast<uint32_t>(word) << 8) & ~kPositionMask;
}

// The table entry of the position `x` of `source`.
inline uint32_t EntryAt(const uint8_t* source, unsigned x) {
  return (uint32_t{source[x + 1]} << 16 | uint32_t{source[x + 2]} << 24) | x;
}

inline void StoreBE16(uint8_t* p, unsigned value) {
  p[0] = static_cast<uint8_t>(value >> 8);
  p[1] = static_cast<uint8_t>(value);
}

// Bits 4..15 of the 32-bit product depend only on its low 16 bits.
inline unsigned Hash(const uint8_t* p) {
  unsigned v = (unsigned{p[0]} << 8) ^ (unsigned{p[1]} << 4) ^ p[2];
  return static_cast<uint16_t>(v * 40543u) >> 4;
}

// Hash of the first three bytes of a little-endian word.
inline unsigned HashWord(uint64_t word) {
  unsigned v =
      (unsigned(word & 0xFF) << 8) ^ (unsigned(word >> 4 & 0xFF0)) ^ unsigned(word >> 16 & 0xFF);
  return static_cast<uint16_t>(v * 40543u) >> 4;
}

// Hashes of the kHashChunk positions from `p` into `out`; reads p[0] .. p[kHashChunk + 1].
inline void HashChunk(const uint8_t* p, uint16_t* out) {
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i multiplier = _mm_set1_epi16(static_cast<short>(40543));
  for (unsigned i = 0; i < kHashChunk; i += 16) {
    const __m128i b0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
    const __m128i b2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 2));
    // 16-bit lanes: b0 << 8 is b0 in the high byte; the multiplication keeps the low 16 bits.
    const __m128i lo = _mm_xor_si128(
        _mm_xor_si128(_mm_unpacklo_epi8(zero, b0), _mm_slli_epi16(_mm_unpacklo_epi8(b1, zero), 4)),
        _mm_unpacklo_epi8(b2, zero));
    const __m128i hi = _mm_xor_si128(
        _mm_xor_si128(_mm_unpackhi_epi8(zero, b0), _mm_slli_epi16(_mm_unpackhi_epi8(b1, zero), 4)),
        _mm_unpackhi_epi8(b2, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                     _mm_srli_epi16(_mm_mullo_epi16(lo, multiplier), 4));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8),
                     _mm_srli_epi16(_mm_mullo_epi16(hi, multiplier), 4));
  }
#else
  for (unsigned i = 0; i < kHashChunk; ++i)
    out[i] = static_cast<uint16_t>(Hash(p + i));
#endif
}

inline uint64_t Broadcast(uint8_t byte) {
  return byte * 0x0101010101010101ull;
}

// True when the 16 bytes at `p` are equal.
inline bool StartsRun(const uint8_t* p) {
  uint64_t pattern = Broadcast(p[0]);
  return ((Load64(p) ^ pattern) | (Load64(p + 8) ^ pattern)) == 0;
}

// The same where p[16] is input too: equal neighbours all along.
inline bool StartsRunInside(const uint8_t* p, uint64_t head) {
  return head == Load64(p + 1) && Load64(p + 7) == Load64(p + 8);
}

// Length of the run of p[0] that starts at `p`, known to be at least 16, at most `limit`.
inline unsigned RunLength(const uint8_t* p, unsigned limit) {
  unsigned size = kMinRun;
#if defined(__SSE2__)
  const __m128i pattern = _mm_set1_epi8(static_cast<char>(p[0]));
  while (size + 16 <= limit) {
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + size));
    unsigned equal = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, pattern)));
    if (equal != 0xFFFF) return size + static_cast<unsigned>(std::countr_one(equal));
    size += 16;
  }
#endif
  const uint64_t pattern64 = Broadcast(p[0]);
  while (size + 8 <= limit) {
    uint64_t differ = Load64(p + size) ^ pattern64;
    if (differ) return size + static_cast<unsigned>(std::countr_zero(differ)) / 8;
    size += 8;
  }
  while (size < limit && p[size] == p[0])
    ++size;
  return size;
}

// Number of equal leading bytes of `p` and `candidate`, at most 18; both must have 18
// readable bytes.
inline unsigned MatchLength18(const uint8_t* candidate, const uint8_t* p) {
#if defined(__SSE2__)
  auto equal16 = [](const uint8_t* a, const uint8_t* b) {
    return static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a)),
                                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(b)))));
  };
  // Bits 0..15: bytes 0..15; bits 16 and 17: bytes 16 and 17 (from the second, shifted
  // compare); bit 18 stays clear and caps the count.
  const unsigned equal = equal16(p, candidate) | (equal16(p + 2, candidate + 2) >> 14 << 16);
  return static_cast<unsigned>(std::countr_one(equal));
#else
  uint64_t differ = Load64(p) ^ Load64(candidate);
  if (differ) return static_cast<unsigned>(std::countr_zero(differ)) / 8;
  differ = Load64(p + 8) ^ Load64(candidate + 8);
  if (differ) return 8 + static_cast<unsigned>(std::countr_zero(differ)) / 8;
  if (p[16] != candidate[16]) return 16;
  return p[17] == candidate[17] ? 18 : 17;
#endif
}

// True when the `size` (a multiple of 16) bytes at `p` equal those `distance` bytes before.
inline bool RepeatsBack(const uint8_t* p, unsigned distance, unsigned size) {
#if defined(__SSE2__)
  __m128i differ = _mm_setzero_si128();
  for (unsigned i = 0; i < size; i += 16)
    differ = _mm_or_si128(
        differ, _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)),
                              _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i - distance))));
  return _mm_movemask_epi8(_mm_cmpeq_epi8(differ, _mm_setzero_si128())) == 0xFFFF;
#else
  return std::memcmp(p, p - distance, size) == 0;
#endif
}

// True when the 18 bytes at `p` repeat the 18 before them.
inline bool Repeats18(const uint8_t* p) {
  return MatchLength18(p - kMaxMatch, p) == kMaxMatch;
}

// Number of equal leading bytes of `p` and `candidate` within the last 17 bytes of the input,
// at most `remain`.
inline unsigned MatchLengthTail(const uint8_t* candidate, const uint8_t* p, unsigned remain) {
  unsigned length = 0;
  while (length < remain && p[length] == candidate[length])
    ++length;
  return length;
}

// The block being written. `command` carries a leading 1 above the item bits, so that it
// reaches 0x10000 after 16 items.
struct TBlockWriter {
  uint8_t* dest;
  unsigned y = 3, z = 1, command = 1;

  void StartItem() {
    if (command >= 0x10000) {
      StoreBE16(dest + z, command);
      z = y;
      y += 2;
      command = 1;
    }
  }
  void Literal(uint8_t byte) {
    dest[y++] = byte;
    command <<= 1;
  }
  void Copy(unsigned distance, unsigned length) {
    StoreBE16(dest + y, distance << 4 | (length - kMinMatch));
    y += 2;
    command = command << 1 | 1;
  }
  void Run(unsigned size, uint8_t byte) {
    dest[y] = 0;
    StoreBE16(dest + y + 1, size - kMinRun);
    dest[y + 3] = byte;
    y += 4;
    command = command << 1 | 1;
  }
  void Finish() {
    const int bits = std::bit_width(command) - 1;
    StoreBE16(dest + z, command << (16 - bits));
  }
};

// The coder's hot steps are inlined into CompressBlock, so that its state stays in registers.
#if defined(__GNUC__)
#define LZRW1KH_HOT [[gnu::always_inline]] inline
#else
#define LZRW1KH_HOT inline
#endif

// The match search of the literal loop: probes the positions from i up to `stop` and stops
// at the first that may start a run (two equal neighbours) or has a copy in reach (found).
// The entry of i is made from the next word, which the run test loads anyway; a found copy
// leaves before its entry is stored. Not inlined: on its own the loop keeps every value it
// needs in registers, which pays for the call on noisy data.
struct TScan {
  size_t end;
  bool found;
};
[[gnu::noinline, gnu::hot]] TScan ScanLiterals(const uint8_t* source, const uint16_t* hashes,
                                               uint32_t* table, size_t i, size_t stop) {
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC unroll 4
#endif
  do {
    const uint64_t next = Load64(source + i + 1);
    if (Load64(source + i) == next) break;
    const unsigned slot = hashes[i];
    const uint32_t entry = static_cast<uint32_t>(next) << 16 | static_cast<uint32_t>(i);
    if (entry - table[slot] < kWindow) return {i, true};
    table[slot] = entry;
    ++i;
  } while (i < stop);
  return {i, false};
}

// The state of one block being coded: the input, the output, and the position `x` of the
// next item.
struct TBlockCoder {
  const uint8_t* const source;
  const unsigned n;
  uint32_t* const table;
  uint16_t* const hashes; // hashes[x] holds the hash of x for x just below hashedEnd
  TBlockWriter out;
  unsigned x = 0;
  // Away from the end: every position below `safeEnd` has 18 bytes of input ahead.
  const unsigned safeEnd = n >= kMaxMatch ? n - kMaxMatch + 1 : 0;
  // Hash chunks read kHashChunk + 1 bytes ahead, at most 2 past the input.
  const unsigned chunkEnd = n >= kHashChunk ? n - kHashChunk + 1 : 0;
  unsigned hashedEnd = 0;

  bool InSafeArea() const { return x < safeEnd && out.y <= n; }

  // Emits a copy item of `length` bytes from `distance` back, for the item at x whose hash
  // is h. Flat areas of 24-bit images repeat every 3 bytes: there the copies settle into 18
  // bytes from 18 back, and as long as the next 18 bytes repeat the last ones the next item
  // is known to be the same copy (no run, the same hash, whose slot holds the last item).
  LZRW1KH_HOT void EmitCopy(unsigned h, unsigned distance, unsigned length) {
    out.Copy(distance, length);
    x += length;
    if (distance != kMaxMatch || length != kMaxMatch) return;
    unsigned last = x - kMaxMatch;
    while (x < safeEnd && out.y <= n && Repeats18(source + x)) {
      // A whole control word of these copies at once where the next 288 bytes repeat.
      constexpr unsigned kGroup = 16 * kMaxMatch;
      if (out.command >= 0x10000 && x + kGroup <= safeEnd && out.y + 34 <= n &&
          RepeatsBack(source + x, kMaxMatch, kGroup)) {
        out.StartItem();
        for (unsigned k = 0; k < 16; ++k)
          StoreBE16(out.dest + out.y + 2 * k, kMaxMatch << 4 | (kMaxMatch - kMinMatch));
        out.y += 32;
        out.command = 0x1FFFF;
        last = x + kGroup - kMaxMatch;
        x += kGroup;
        continue;
      }
      out.StartItem();
      out.Copy(kMaxMatch, kMaxMatch);
      last = x;
      x += kMaxMatch;
    }
    table[h] = EntryAt(source, last);
  }

  // Codes one item at x with every test: a run, else a copy found by one hash probe, else a
  // literal. True when it was the second literal in a row, which calls for the literal loop.
  LZRW1KH_HOT bool CodeItem(bool& afterLiteral) {
    out.StartItem();
    const uint8_t* p = source + x;
    const uint64_t head = Load64(p);
    if (StartsRunInside(p, head)) {
      const unsigned size = RunLength(p, std::min(n - x, kMaxRun));
      out.Run(size, p[0]);
      x += size;
      afterLiteral = false;
      return false;
    }
    const unsigned h = HashWord(head);
    const uint32_t itemEntry = KeyOf(head) | x;
    const uint32_t distance = itemEntry - table[h];
    table[h] = itemEntry;
    if (distance < kWindow) {
      EmitCopy(h, distance, MatchLength18(p - distance, p));
      afterLiteral = false;
      return false;
    }
    out.Literal(static_cast<uint8_t>(head));
    ++x;
    // A single literal between copies and runs is not worth starting the literal loop for.
    afterLiteral = !afterLiteral;
    return !afterLiteral;
  }

  // Emits the literals x .. end-1, up to 16 per control word, each while the output is in
  // bounds.
  LZRW1KH_HOT void EmitLiterals(size_t end) {
    while (x < end) {
      if (out.y > n) break;
      out.StartItem();
      const unsigned items = 17 - static_cast<unsigned>(std::bit_width(out.command));
      const int room = static_cast<int>(n + 1) - static_cast<int>(out.y);
      const unsigned count = std::min(
          {static_cast<unsigned>(end - x), items, static_cast<unsigned>(std::max(room, 1))});
      // Literals sit below safeEnd, so 16 bytes are input; the output has room for 16 bytes
      // while y + 16 <= n + 6.
      if (out.y + 10 <= n)
        std::memcpy(out.dest + out.y, source + x, 16);
      else
        std::memcpy(out.dest + out.y, source + x, count);
      out.y += count;
      out.command <<= count;
      x += count;
    }
  }

  // Literal loop: on noisy data nearly every item is a literal. It only probes the table and
  // leaves for the full path before a possible run, at a copy, and where the hash chunks or
  // the safe area end; the literals are written afterwards, with their control words. It may
  // probe a little past the point where the output reaches its limit: the block is then
  // stored, whatever the table holds.
  LZRW1KH_HOT void CodeLiterals() {
    for (;;) {
      if (x >= hashedEnd) {
        if (x >= chunkEnd) break;
        HashChunk(source + x, hashes + x);
        hashedEnd = x + kHashChunk;
      }
      const size_t stop = std::min({safeEnd, hashedEnd, x + n + 1 - std::min(out.y, n + 1)});
      if (x >= stop) break;
      const auto [i, found] = ScanLiterals(source, hashes, table, x, stop);
      unsigned foundSlot = 0, foundDistance = 0;
      if (found) {
        foundSlot = hashes[i];
        const uint32_t entry = EntryAt(source, static_cast<unsigned>(i));
        foundDistance = entry - table[foundSlot];
        table[foundSlot] = entry;
      }
      EmitLiterals(i);
      if (x < i || out.y > n) break;
      if (!found) {
        if (i < stop) break; // a possible run
        continue;
      }
      out.StartItem();
      EmitCopy(foundSlot, foundDistance, MatchLength18(source + x - foundDistance, source + x));
    }
  }

  // The last 17 bytes: the same steps bytewise. Near the end the hash reads up to 2 bytes
  // past the input; those bytes only pick a table slot, and a slot's candidate is verified
  // against the input itself.
  LZRW1KH_HOT void CodeTail() {
    while (x < n && out.y <= n) {
      out.StartItem();
      const unsigned remain = n - x;
      const uint8_t* const p = source + x;
      if (remain >= kMinRun && StartsRun(p)) {
        const unsigned size = RunLength(p, std::min(remain, kMaxRun));
        out.Run(size, p[0]);
        x += size;
        continue;
      }
      const unsigned h = Hash(p);
      const unsigned candidate = table[h] & kPositionMask;
      table[h] = EntryAt(source, x);
      const unsigned length =
          x - candidate < kWindow ? MatchLengthTail(source + candidate, p, remain) : 0;
      if (length >= kMinMatch) {
        out.Copy(x - candidate, length);
        x += length;
      } else {
        out.Literal(p[0]);
        ++x;
      }
    }
  }
};

} // namespace

void LZRW1KHStartup() {
  std::memset(workArea.table, kEmptyByte, sizeof workArea.table);
}
void LZRW1KHShutdown() {}

uint16_t CompressBlock(const uint8_t* source, uint8_t* dest, uint16_t sourceSize) {
  const unsigned n = sourceSize;
  TWorkArea& work = workArea;
  std::memset(work.table, kEmptyByte, sizeof work.table);
  dest[0] = lzrw1kh::kCompressedMarker;
  TBlockCoder coder{source, n, work.table, work.hashes, TBlockWriter{dest}};
  bool afterLiteral = false;
  while (coder.InSafeArea())
    if (coder.CodeItem(afterLiteral)) coder.CodeLiterals();
  coder.CodeTail();
  coder.out.Finish();
  unsigned y = coder.out.y;
  if (y > n) {
    std::memcpy(dest + 1, source, n);
    dest[0] = lzrw1kh::kStoredMarker;
    y = n + 1;
  }
  return static_cast<uint16_t>(y);
}
