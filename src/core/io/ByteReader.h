// A bounded reader over a byte span. Every read checks that the bytes exist; a short read
// throws the exception type the format code chose, made from a message text or from the kind
// of error the format gives it, so byte order and bounds are explicit instead of hidden in
// packed structs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

template <class Error, class Truncated = std::string> class ByteReader {
public:
  ByteReader(std::span<const uint8_t> bytes, Truncated truncatedMessage)
      : bytes_(bytes), truncated_(std::move(truncatedMessage)) {}

  size_t Position() const { return pos_; }
  size_t Size() const { return bytes_.size(); }
  size_t Remaining() const { return bytes_.size() - pos_; }
  void Seek(size_t pos) {
    if (pos > bytes_.size()) throw Error(truncated_);
    pos_ = pos;
  }
  void Skip(size_t count) { Seek(Need(count) + count); }

  uint8_t U8() { return bytes_[Need(1)]; }
  uint16_t U16LE() { return static_cast<uint16_t>(Get(2, false)); }
  uint32_t U32LE() { return static_cast<uint32_t>(Get(4, false)); }
  int32_t I32LE() { return static_cast<int32_t>(U32LE()); }
  uint16_t U16BE() { return static_cast<uint16_t>(Get(2, true)); }
  uint32_t U32BE() { return static_cast<uint32_t>(Get(4, true)); }
  std::span<const uint8_t> Bytes(size_t count) {
    // Not through Need: it advances by itself for a count of 1.
    if (count > bytes_.size() - pos_) throw Error(truncated_);
    size_t at = pos_;
    pos_ += count;
    return bytes_.subspan(at, count);
  }

private:
  // Returns the current position and checks `count` bytes are there; advances only for U8.
  size_t Need(size_t count) {
    if (count > bytes_.size() - pos_) throw Error(truncated_);
    return count == 1 ? pos_++ : pos_;
  }
  uint64_t Get(int count, bool bigEndian) {
    size_t at = Need(static_cast<size_t>(count));
    uint64_t v = 0;
    for (int i = 0; i < count; ++i) {
      uint64_t b = bytes_[at + static_cast<size_t>(i)];
      v |= bigEndian ? b << (8 * (count - 1 - i)) : b << (8 * i);
    }
    pos_ += static_cast<size_t>(count);
    return v;
  }

  std::span<const uint8_t> bytes_;
  Truncated truncated_;
  size_t pos_ = 0;
};

inline uint16_t LoadU16LE(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}
inline uint32_t LoadU32LE(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
inline void StoreU16LE(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void StoreU32LE(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    p[i] = static_cast<uint8_t>(v >> (8 * i));
}
