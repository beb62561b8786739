#include "cli/PlainImage.h"

#include "blz/BlzContainer.h"

namespace streaming {

std::vector<uint8_t> ReadHead(TStream& input) {
  std::vector<uint8_t> head(static_cast<size_t>(std::min<int64_t>(input.Size(), kHeadRoom)));
  input.SetPosition(0);
  head.resize(static_cast<size_t>(input.Read(head.data(), static_cast<int64_t>(head.size()))));
  return head;
}

// start `offset` bytes after the first row's start.
bool AlphaByteSet(const uint8_t* bytes, size_t count, uint64_t offset) {
  for (size_t i = (7 - offset % 4) % 4; i < count; i += 4)
    if (bytes[i] != 0) return true;
  return false;
}

std::optional<TPlainBmpRows> PlainRows(TStream& input) {
  const std::vector<uint8_t> head = ReadHead(input);
  if (RecognizeLayout(head) != TBmpLayout::Plain) return std::nullopt;
  return PlainBmpRows(head, static_cast<uint64_t>(input.Size()));
}

} // namespace streaming
