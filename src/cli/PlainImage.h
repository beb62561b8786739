// A plain BMP file as the writer would write it, fetched piece by piece: what pack, unpack and
// verify stream from a BMP input.
#pragma once

#include "bmp/Bitmap.h"
#include "codec/LZRW1KH.h"
#include "io/Streams.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace streaming {

inline constexpr size_t kPiece = lzrw1kh::kMaxBlockInput;
// Every BMP header, masks and colour table fit in this; rows that start later are rare
// enough for the whole-picture path.
inline constexpr size_t kHeadRoom = 64 * 1024;

// The first bytes of a stream, at most kHeadRoom.
std::vector<uint8_t> ReadHead(TStream& input);

// Whether the fourth byte of some 32-bit pixel in `count` bytes of rows is not 0; `bytes`
// start `offset` bytes after the first row's start.
bool AlphaByteSet(const uint8_t* bytes, size_t count, uint64_t offset);

// The BMP image the writer makes of a plain BMP image whose rows the reader keeps, fetched in
// order: its head, then the input's rows with their padding cleared.
class TPlainImage {
public:
  TPlainImage(TStream& input, TPlainBmpRows rows) : input_(input), rows_(std::move(rows)) {
    if (rows_.alpha && !AnyAlphaByteSet()) rows_.writerHead = rows_.OpaqueHead();
    input_.SetPosition(rows_.pixelOffset);
  }
  const std::vector<uint8_t>& Head() const { return rows_.writerHead; }
  uint64_t Size() const {
    return rows_.writerHead.size() + static_cast<uint64_t>(rows_.stride) * rows_.height;
  }
  // Successive calls ask for successive ranges.
  void Fill(uint8_t* to, uint64_t offset, size_t count) {
    const uint64_t headSize = rows_.writerHead.size();
    const size_t fromHead =
        offset < headSize ? static_cast<size_t>(std::min<uint64_t>(count, headSize - offset)) : 0;
    std::memcpy(to, rows_.writerHead.data() + offset, fromHead);
    if (count == fromHead) return;
    input_.ReadBuffer(to + fromHead, static_cast<int64_t>(count - fromHead));
    rows_.ClearPadding(to + fromHead, offset + fromHead - headSize, count - fromHead);
  }

private:
  // Reads the 32-bit rows once ahead, for the writer's choice of header.
  bool AnyAlphaByteSet() {
    std::vector<uint8_t> buffer(kPiece);
    input_.SetPosition(rows_.pixelOffset);
    for (uint64_t left = static_cast<uint64_t>(rows_.stride) * rows_.height; left > 0;) {
      const size_t count = static_cast<size_t>(std::min<uint64_t>(left, kPiece));
      input_.ReadBuffer(buffer.data(), static_cast<int64_t>(count));
      if (AlphaByteSet(buffer.data(), count, 0)) return true;
      left -= count;
    }
    return false;
  }

  TStream& input_;
  TPlainBmpRows rows_;
};

// A plain BMP image's rows as the writer would write them; nullopt for any other input.
std::optional<TPlainBmpRows> PlainRows(TStream& input);

} // namespace streaming
