#include "blz/InPlaceRows.h"

#include "blz/RecordReader.h"
#include "codec/LZRW1KH.h"

#include <algorithm>
#include <vector>

namespace blz {

std::optional<TPlainBmpRows> RowsToLoadInPlace(std::span<const uint8_t> records,
                                               std::span<const uint8_t> prefix,
                                               int64_t storedSize) {
  if (storedSize <= 0) return std::nullopt;
  constexpr size_t kPiece = lzrw1kh::kMaxBlockInput;
  TRecordReader reader(records);
  const auto record = reader.Next(prefix.size());
  if (!record) return std::nullopt;
  std::vector<uint8_t> head(prefix.size() + lzrw1kh::kWorkBufferSize);
  std::copy(prefix.begin(), prefix.end(), head.begin());
  const size_t first =
      DecompressBlock(record->block, head.data() + prefix.size(), record->length, kPiece);
  if (first != kPiece) return std::nullopt;
  head.resize(prefix.size() + first);
  const std::optional<TPlainBmpRows> rows =
      AcceptedPlainBmpRows(head, static_cast<uint64_t>(storedSize));
  if (!rows || rows->pixelOffset + rows->stride * rows->height != storedSize) return std::nullopt;
  return rows;
}

} // namespace blz
