// The block decoder: expands what CompressBlock writes, and stops safely inside a damaged block.
#include "codec/LZRW1KH.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

using lzrw1kh::kMinMatch;
using lzrw1kh::kMinRun;

// Copies a match of `count` (3..18) bytes from `offset` bytes back, as the byte-by-byte
// definition does (an overlapping source repeats its bytes), writing up to 24 bytes at `out`.
inline void CopyMatchWide(uint8_t* out, size_t offset, size_t count) {
  const uint8_t* from = out - offset;
  if (offset < 8) {
    // Spread the first 8 bytes so that afterwards `from` lies at least 8 bytes back.
    static constexpr unsigned kStep[] = {0, 1, 2, 1, 0, 4, 4, 4};
    static constexpr int kBack[] = {0, 0, 0, -1, -4, 1, 2, 3};
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
