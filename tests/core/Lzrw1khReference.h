// A plain, step-by-step LZRW1/KH coder kept only as a test oracle: the optimised codec must
// produce and restore exactly what this produces and restores.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace lzrw1kh_reference {

// Same contract as CompressBlock, with a hash table of its own.
inline uint16_t Compress(const uint8_t* source, uint8_t* dest, uint16_t sourceSize) {
  uint16_t table[4096];
  std::memset(table, 0xFF, sizeof table);
  const unsigned n = sourceSize;
  dest[0] = 0x40;
  unsigned x = 0, y = 3, z = 1, bits = 0, command = 0;
  while (x < n && y <= n) {
    if (bits > 15) {
      dest[z] = static_cast<uint8_t>(command >> 8);
      dest[z + 1] = static_cast<uint8_t>(command);
      z = y;
      bits = 0;
      y += 2;
    }
    unsigned size = 1;
    while (source[x + size] == source[x] && size < 4095 && x + size < n)
      ++size;
    if (size >= 16) {
      dest[y] = 0;
      dest[y + 1] = static_cast<uint8_t>((size - 16) >> 8);
      dest[y + 2] = static_cast<uint8_t>(size - 16);
      dest[y + 3] = source[x];
      y += 4;
      x += size;
      command = (command << 1) | 1;
    } else {
      unsigned v = (unsigned{source[x]} << 8) ^ (unsigned{source[x + 1]} << 4) ^ source[x + 2];
      unsigned h = ((v * 40543u) >> 4) & 0x0FFF;
      unsigned candidate = table[h];
      unsigned length = 0;
      if (candidate != 0xFFFF && x - candidate < 4096) {
        while (length < 18 && source[x + length] == source[candidate + length] && x + length < n)
          ++length;
      }
      table[h] = static_cast<uint16_t>(x);
      if (length >= 3) {
        unsigned key = (x - candidate) * 16 + (length - 3);
        dest[y] = static_cast<uint8_t>(key >> 8);
        dest[y + 1] = static_cast<uint8_t>(key);
        y += 2;
        x += length;
        command = (command << 1) | 1;
      } else {
        dest[y++] = source[x++];
        command <<= 1;
      }
    }
    ++bits;
  }
  command = (command << (16 - bits)) & 0xFFFF;
  dest[z] = static_cast<uint8_t>(command >> 8);
  dest[z + 1] = static_cast<uint8_t>(command);
  if (y > n) {
    std::memcpy(dest + 1, source, n);
    dest[0] = 0x80;
    y = n + 1;
  }
  return static_cast<uint16_t>(y);
}

// The byte-by-byte decoder, with the same stop-on-damage checks as the real one.
inline size_t Decompress(const uint8_t* source, uint8_t* dest, size_t sourceSize,
                         size_t destCapacity) {
  if (sourceSize == 0) return 0;
  if (source[0] == 0x80) {
    size_t count = sourceSize - 1 < destCapacity ? sourceSize - 1 : destCapacity;
    std::memcpy(dest, source + 1, count);
    return count;
  }
  if (sourceSize <= 3) return 0;
  size_t x = 3, y = 0;
  unsigned command = unsigned{source[1]} << 8 | source[2];
  unsigned bits = 16;
  while (x < sourceSize) {
    if (bits == 0) {
      if (x + 2 > sourceSize) break;
      command = unsigned{source[x]} << 8 | source[x + 1];
      bits = 16;
      x += 2;
      if (x >= sourceSize) break;
    }
    if ((command & 0x8000) == 0) {
      if (y >= destCapacity) break;
      dest[y++] = source[x++];
    } else {
      if (x + 2 > sourceSize) break;
      unsigned offset = unsigned{source[x]} << 4 | source[x + 1] >> 4;
      if (offset == 0) {
        if (x + 4 > sourceSize) break;
        size_t count = (unsigned{source[x + 1]} << 8 | source[x + 2]) + 16;
        if (count > destCapacity - y) break;
        for (size_t k = 0; k < count; ++k)
          dest[y + k] = source[x + 3];
        x += 4;
        y += count;
      } else {
        size_t count = (source[x + 1] & 0x0F) + 3;
        if (offset > y || count > destCapacity - y) break;
        for (size_t k = 0; k < count; ++k)
          dest[y + k] = dest[y - offset + k];
        x += 2;
        y += count;
      }
    }
    command = (command << 1) & 0xFFFF;
    --bits;
  }
  return y;
}

} // namespace lzrw1kh_reference
