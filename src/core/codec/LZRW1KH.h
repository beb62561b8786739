// LZRW1/KH block codec: greedy single-pass Lempel-Ziv over blocks of at most 32768 bytes.
//
// Block = marker byte, then body.
//   0x80 (stored):     the input bytes unchanged.
//   0x40 (compressed): groups of a big-endian 16-bit control word and the up to 16 items it
//                      describes, most significant bit first; 0 = literal, 1 = copy or run.
//     literal: 1 byte.
//     copy:    2 bytes big-endian; high 12 bits offset back (1..4095), low 4 bits length-3.
//     run:     4 bytes: 00, big-endian 16-bit (length-16, 0..4079), the byte value.
//   No end marker: the body ends with the block.
// A block that would not be smaller than its input is stored. Blocks are independent.
#pragma once

#include "io/Exceptions.h"

#include <cstddef>
#include <cstdint>

VANTREL_DECLARE_EXCEPTION(ELzrw1KHCompressor, Exception);

namespace lzrw1kh {
inline constexpr size_t kMaxBlockInput = 32768;
// The work buffers of every caller: room for a whole piece plus the coder's overrun.
inline constexpr size_t kWorkBufferSize = kMaxBlockInput + 16;
inline constexpr uint8_t kCompressedMarker = 0x40;
inline constexpr uint8_t kStoredMarker = 0x80;
inline constexpr unsigned kWindow = 4096; // copies reach 1..4095 bytes back
inline constexpr unsigned kMinMatch = 3, kMaxMatch = 18;
inline constexpr unsigned kMinRun = 16, kMaxRun = 4095;
} // namespace lzrw1kh

// Compresses `sourceSize` (0..32768) bytes into `dest`, which must hold sourceSize + 6 bytes;
// `source` may be read up to 2 bytes past its end, which never changes the result. Returns the
// block length, at most sourceSize + 1. Each thread has its own hash table.
uint16_t CompressBlock(const uint8_t* source, uint8_t* dest, uint16_t sourceSize);

// Expands one block of `sourceSize` bytes into `dest` (room for `destCapacity` bytes) and
// returns the number of bytes produced. A damaged block never makes it read or write outside
// the two buffers: decoding stops at the first item that does not fit and returns what was
// produced so far.
size_t DecompressBlock(const uint8_t* source, uint8_t* dest, size_t sourceSize,
                       size_t destCapacity = lzrw1kh::kWorkBufferSize);

// Unit start-up and shut-down: the calling thread's table is made ready or released.
void LZRW1KHStartup();
void LZRW1KHShutdown();
