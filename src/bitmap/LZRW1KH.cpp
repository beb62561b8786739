#include "bitmap/LZRW1KH.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The coder below makes exactly the blocks of the plain step-by-step algorithm (one item per
// step: run of 16+ equal bytes, else one hash probe, then copy of 3..18 bytes or a literal);
// it only does each step with fewer instructions. It never reads more than 2 bytes past the
// input: word-wide loads are used where they stay inside the input, the tail goes bytewise.

namespace {

constexpr unsigned kWindow = 4096;
constexpr unsigned kMinMatch = 3;
constexpr unsigned kMaxMatch = 18;
constexpr unsigned kMinRun = 16;
constexpr unsigned kMaxRun = 4095;

// One table per thread: the batch CLI compresses on several threads at once.
thread_local uint16_t hashTable[4096];

static_assert(std::endian::native == std::endian::little,
              "word-wide compares count matching bytes from the low end");

inline uint64_t Load64(const uint8_t* p) {
  uint64_t value;
  std::memcpy(&value, p, sizeof value);
  return value;
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
  unsigned v = (unsigned(word & 0xFF) << 8) ^ (unsigned(word >> 8 & 0xFF) << 4) ^
               unsigned(word >> 16 & 0xFF);
  return static_cast<uint16_t>(v * 40543u) >> 4;
}

inline uint64_t Broadcast(uint8_t byte) {
  return byte * 0x0101010101010101ull;
}

// True when the 16 bytes at `p` are equal.
inline bool StartsRun(const uint8_t* p) {
  uint64_t pattern = Broadcast(p[0]);
  return ((Load64(p) ^ pattern) | (Load64(p + 8) ^ pattern)) == 0;
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

// Hides a value from the optimiser so that it cannot turn a computed flag back into a branch.
template <typename T> inline T Opaque(T value) {
#if defined(__GNUC__)
  __asm__("" : "+r"(value));
#endif
  return value;
}

// Number of equal leading bytes of `p` and `candidate`, at most 18; 0 when `invalid` (all
// ones or 0) is set, and then `candidate` must be readable (e.g. `p`). `head` holds the first
// 8 bytes of `p`; 18 bytes of `p` must be input. On noisy input about a third of the
// candidates are empty or out of the window, at random: a branch on that would be
// mispredicted at every other byte, so the mask only enters the arithmetic.
inline unsigned MatchLength18(const uint8_t* candidate, const uint8_t* p, uint64_t head,
                              unsigned invalid) {
  uint64_t differ = (head ^ Load64(candidate)) | (invalid & 1);
  if (differ) return static_cast<unsigned>(std::countr_zero(differ)) / 8;
  differ = Load64(p + 8) ^ Load64(candidate + 8);
  if (differ) return 8 + static_cast<unsigned>(std::countr_zero(differ)) / 8;
  if (p[16] != candidate[16]) return 16;
  return p[17] == candidate[17] ? 18 : 17;
}

// The same within the last 17 bytes of the input, bytewise up to `remain`.
inline unsigned MatchLengthTail(const uint8_t* candidate, const uint8_t* p, unsigned remain,
                                unsigned invalid) {
  const unsigned limit = remain & ~invalid;
  unsigned length = 0;
  while (length < limit && p[length] == candidate[length])
    ++length;
  return length;
}

} // namespace

void LZRW1KHStartup() {
  std::memset(hashTable, 0xFF, sizeof hashTable);
}
void LZRW1KHShutdown() {}

uint16_t CompressBlock(const uint8_t* source, uint8_t* dest, uint16_t sourceSize) {
  const unsigned n = sourceSize;
  uint16_t* const table = hashTable;
  std::memset(table, 0xFF, sizeof hashTable);
  dest[0] = lzrw1kh::kCompressedMarker;
  unsigned x = 0, y = 3, z = 1, bits = 0, command = 0;
  while (x < n && y <= n) {
    if (bits == 16) {
      StoreBE16(dest + z, command);
      z = y;
      bits = 0;
      y += 2;
    }
    const unsigned remain = n - x;
    const uint8_t* const p = source + x;
    // Away from the end the first 8 bytes are loaded once for the run test, the hash and the
    // first compare (stores through byte pointers would otherwise force reloads).
    const bool inside = remain >= kMaxMatch;
    const uint64_t head = inside ? Load64(p) : 0;
    const uint64_t pattern = Broadcast(p[0]);
    if (inside ? head == pattern && Load64(p + 8) == pattern : remain >= kMinRun && StartsRun(p)) {
      unsigned size = RunLength(p, std::min(remain, kMaxRun));
      dest[y] = 0;
      StoreBE16(dest + y + 1, size - kMinRun);
      dest[y + 3] = p[0];
      y += 4;
      x += size;
      command = command << 1 | 1;
    } else {
      // Near the end the hash reads up to 2 bytes past the input; those bytes only pick a
      // table slot, and a slot's candidate is verified against the input itself.
      const unsigned h = inside ? HashWord(head) : Hash(p);
      const unsigned candidate = table[h];
      table[h] = static_cast<uint16_t>(x);
      // An empty slot (0xFFFF) wraps around to a huge distance, so one compare covers both.
      const unsigned invalid = Opaque(0u - unsigned{x - candidate >= kWindow});
      const unsigned from = candidate ^ ((candidate ^ x) & invalid);
      const unsigned length = inside ? MatchLength18(source + from, p, head, invalid)
                                     : MatchLengthTail(source + from, p, remain, invalid);
      if (length >= kMinMatch) {
        StoreBE16(dest + y, (x - from) << 4 | (length - kMinMatch));
        y += 2;
        x += length;
        command = command << 1 | 1;
      } else {
        dest[y++] = static_cast<uint8_t>(pattern);
        ++x;
        command <<= 1;
      }
    }
    ++bits;
  }
  StoreBE16(dest + z, command << (16 - bits));
  if (y > n) {
    std::memcpy(dest + 1, source, n);
    dest[0] = lzrw1kh::kStoredMarker;
    y = n + 1;
  }
  return static_cast<uint16_t>(y);
}

namespace {

// Copies a match of `count` (3..18) bytes from `offset` bytes back, as the byte-by-byte
// definition does (an overlapping source repeats its bytes), writing up to 24 bytes at `out`.
inline void CopyMatchWide(uint8_t* out, size_t offset, size_t count) {
  const uint8_t* from = out - offset;
  if (offset < 8) {
    // Spread the first 8 bytes so that afterwards `from` lies at least 8 bytes back.
    static constexpr unsigned kStep[8] = {0, 1, 2, 1, 0, 4, 4, 4};
    static constexpr int kBack[8] = {0, 0, 0, -1, -4, 1, 2, 3};
    out[0] = from[0];
    out[1] = from[1];
    out[2] = from[2];
    out[3] = from[3];
    from += kStep[offset];
    std::memcpy(out + 4, from, 4);
    from -= kBack[offset];
  } else {
    std::memcpy(out, from, 8);
    from += 8;
  }
  for (size_t done = 8; done < count; done += 8)
    std::memcpy(out + done, from + done - 8, 8);
}

} // namespace

size_t DecompressBlock(const uint8_t* source, uint8_t* dest, size_t sourceSize,
                       size_t destCapacity) {
  if (sourceSize == 0) return 0;
  if (source[0] == lzrw1kh::kStoredMarker) {
    size_t count = std::min(sourceSize - 1, destCapacity);
    if (count != 0) std::memcpy(dest, source + 1, count);
    return count;
  }
  if (sourceSize <= 3) return 0;
  const uint8_t* in = source + 3;
  const uint8_t* const inEnd = source + sourceSize;
  uint8_t* out = dest;
  uint8_t* const outEnd = dest + destCapacity;
  unsigned command = unsigned{source[1]} << 8 | source[2];
  unsigned bits = 16;
  while (in < inEnd) {
    if (bits == 0) {
      if (inEnd - in < 2) break;
      command = unsigned{in[0]} << 8 | in[1];
      bits = 16;
      in += 2;
      if (in >= inEnd) break;
    }
    if ((command & 0x8000) == 0) {
      // A stretch of literals: all the leading zero bits of the control word at once.
      size_t count = std::min<unsigned>(std::countl_zero(static_cast<uint16_t>(command)), bits);
      const size_t room = std::min<size_t>(inEnd - in, outEnd - out);
      if (count > room) {
        if (room != 0) std::memcpy(out, in, room);
        out += room;
        break;
      }
      if (room >= 16)
        std::memcpy(out, in, 16);
      else
        std::memcpy(out, in, count);
      in += count;
      out += count;
      command = (command << count) & 0xFFFF;
      bits -= static_cast<unsigned>(count);
      continue;
    }
    if (inEnd - in < 2) break;
    const size_t offset = size_t{in[0]} << 4 | in[1] >> 4;
    if (offset == 0) {
      if (inEnd - in < 4) break;
      const size_t count = (size_t{in[1]} << 8 | in[2]) + kMinRun;
      if (count > static_cast<size_t>(outEnd - out)) break;
      std::memset(out, in[3], count);
      in += 4;
      out += count;
    } else {
      const size_t count = (in[1] & 0x0F) + kMinMatch;
      if (offset > static_cast<size_t>(out - dest) || count > static_cast<size_t>(outEnd - out))
        break;
      if (outEnd - out >= 24) {
        CopyMatchWide(out, offset, count);
      } else {
        const uint8_t* from = out - offset;
        for (size_t k = 0; k < count; ++k)
          out[k] = from[k];
      }
      in += 2;
      out += count;
    }
    command = (command << 1) & 0xFFFF;
    --bits;
  }
  return static_cast<size_t>(out - dest);
}
