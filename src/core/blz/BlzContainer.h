// The BLZ file's framing around the block records, read and written in this one place.
//
// BLZ stream layout:  "LZRW", u32 S = length of the BMP image, records of the whole image.
// Packed bitmap:      the BMP file header with S in its reserved 32 bits, the info header
//                     with "LZRW" in its compression field and the real compression value
//                     appended (44 bytes), then records of the image from its offset 54.
// Record:             u16 L, then an L-byte LZRW1/KH block of one 32768-byte piece. The
//                     last record is the first that expands to fewer than 32768 bytes.
// All integers are little-endian; "WRZL" is read as the magic too.
#pragma once

#include "bmp/BmpHeaders.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

inline constexpr uint32_t kLzrwMagic = 0x57525A4C;         // bytes "LZRW"
inline constexpr uint32_t kLzrwMagicReversed = 0x4C5A5257; // bytes "WRZL"

enum class TBmpLayout { Plain, BLZStream, PackedBitmap };

// "BLZ stream", "packed bitmap" or "BMP", as the command line names the layouts.
const char* LayoutName(TBmpLayout layout);

// Tells the layout from the first bytes of a whole file or stream; missing bytes count as 0.
TBmpLayout RecognizeLayout(std::span<const uint8_t> head);

namespace blz {

inline constexpr size_t kStreamHeaderSize = 8;
// The BMP headers and the appended compression value.
inline constexpr size_t kPackedHeaderSize = kBmpHeadersSize + 4;
inline constexpr size_t kRecordFrameSize = 2;

// Where a layout's records start in the file, and where their payload starts in the image.
size_t RecordsStart(TBmpLayout layout);
size_t PayloadStart(TBmpLayout layout);

// The stored size of a BLZ stream file; throws Truncated for fewer than 8 bytes.
uint32_t ReadStreamHeader(std::span<const uint8_t> file);

// A packed bitmap's header, read with missing bytes as 0.
struct TPackedHeader {
  int32_t storedSize = 0;
  bool hasMagic = false;
  // The BMP headers as the restored image has them: the reserved field back to 0, the
  // compression field back in its place.
  std::array<uint8_t, kBmpHeadersSize> bmpHeaders{};
};
TPackedHeader ReadPackedHeader(std::span<const uint8_t> file);

// What a layout puts before its records, for a BMP image of `imageSize` bytes whose first bytes
// (54 at least for the packed-bitmap layout) are `bmpHead`.
std::vector<uint8_t> LayoutHeader(TBmpLayout layout, std::span<const uint8_t> bmpHead,
                                  uint32_t imageSize);

// Checks the frame of the record at `frame`, where `available` bytes remain, and returns its
// block length; throws Truncated or RecordTooLong.
size_t ReadRecordFrame(const uint8_t* frame, size_t available);
// The same check for a caller that has another way to go: nullopt for a damaged frame.
std::optional<size_t> WholeRecordFrame(const uint8_t* frame, size_t available);
void WriteRecordFrame(uint8_t* frame, uint16_t length);

} // namespace blz
