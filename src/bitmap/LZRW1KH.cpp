#include "bitmap/LZRW1KH.h"

#include <cstring>

namespace {

constexpr uint16_t kEmpty = 0xFFFF;
thread_local uint16_t hashTable[4096];

inline unsigned Hash(const uint8_t* p) {
  unsigned v = (unsigned{p[0]} << 8) ^ (unsigned{p[1]} << 4) ^ p[2];
  return ((v * 40543u) >> 4) & 0x0FFF;
}

} // namespace

void LZRW1KHStartup() { std::memset(hashTable, 0xFF, sizeof hashTable); }
void LZRW1KHShutdown() {}

uint16_t CompressBlock(const uint8_t* source, uint8_t* dest, uint16_t sourceSize) {
  const unsigned n = sourceSize;
  std::memset(hashTable, 0xFF, sizeof hashTable);
  dest[0] = lzrw1kh::kCompressedMarker;
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
    while (source[x + size] == source[x] && size < 4095 && x + size < n) ++size;
    if (size >= 16) {
      dest[y] = 0;
      dest[y + 1] = static_cast<uint8_t>((size - 16) >> 8);
      dest[y + 2] = static_cast<uint8_t>(size - 16);
      dest[y + 3] = source[x];
      y += 4;
      x += size;
      command = (command << 1) | 1;
    } else {
      unsigned h = Hash(source + x);
      unsigned candidate = hashTable[h];
      unsigned length = 0;
      if (candidate != kEmpty && x - candidate < 4096) {
        while (length < 18 && source[x + length] == source[candidate + length] && x + length < n)
          ++length;
      }
      hashTable[h] = static_cast<uint16_t>(x);
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
    dest[0] = lzrw1kh::kStoredMarker;
    y = n + 1;
  }
  return static_cast<uint16_t>(y);
}

size_t DecompressBlock(const uint8_t* source, uint8_t* dest, size_t sourceSize,
                       size_t destCapacity) {
  if (sourceSize == 0) return 0;
  if (source[0] == lzrw1kh::kStoredMarker) {
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
        std::memset(dest + y, source[x + 3], count);
        x += 4;
        y += count;
      } else {
        size_t count = (source[x + 1] & 0x0F) + 3;
        if (offset > y || count > destCapacity - y) break;
        for (size_t k = 0; k < count; ++k) dest[y + k] = dest[y - offset + k];
        x += 2;
        y += count;
      }
    }
    command = (command << 1) & 0xFFFF;
    --bits;
  }
  return y;
}
