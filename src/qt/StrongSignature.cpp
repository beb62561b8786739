#include "qt/StrongSignature.h"

#include <algorithm>
#include <initializer_list>

namespace {

bool StartsWith(std::span<const uint8_t> head, std::initializer_list<uint8_t> bytes,
                size_t offset = 0) {
  return head.size() >= offset + bytes.size() &&
         std::equal(bytes.begin(), bytes.end(), head.begin() + static_cast<ptrdiff_t>(offset));
}

} // namespace

bool StartsWithStrongSignature(std::span<const uint8_t> head) {
  const bool emf = StartsWith(head, {1, 0, 0, 0}) && StartsWith(head, {' ', 'E', 'M', 'F'}, 40);
  return emf || StartsWith(head, {'G', 'I', 'F', '8'}) || StartsWith(head, {'B', 'M'}) ||
         StartsWith(head, {'L', 'Z', 'R', 'W'}) || StartsWith(head, {'W', 'R', 'Z', 'L'}) ||
         StartsWith(head, {'F', 'O', 'R', 'M'}) || StartsWith(head, {0x50, 0xC3}) ||
         StartsWith(head, {0xD7, 0xCD, 0xC6, 0x9A}) || StartsWith(head, {0xFF, 0xD8, 0xFF});
}
