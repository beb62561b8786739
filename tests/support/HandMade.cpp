#include "HandMade.h"
#include "io/ByteReader.h"

#include <algorithm>
#include <cstring>

namespace testsupport {

std::vector<uint8_t> Dib(const DibSpec& s, const std::vector<uint8_t>& tail) {
  std::vector<uint8_t> dib(s.headerSize + s.after);
  uint8_t header[124] = {};
  if (s.headerSize == 12) {
    StoreU16LE(header + 4, uint16_t(s.width)), StoreU16LE(header + 6, uint16_t(s.height));
    StoreU16LE(header + 8, s.planes), StoreU16LE(header + 10, s.bpp);
  } else {
    StoreU32LE(header + 4, uint32_t(s.width)), StoreU32LE(header + 8, uint32_t(s.height));
    StoreU16LE(header + 12, s.planes), StoreU16LE(header + 14, s.bpp);
    StoreU32LE(header + 16, s.compression), StoreU32LE(header + 32, s.colorsUsed);
  }
  StoreU32LE(header, s.headerSize);
  std::copy(header, header + std::min<uint32_t>(s.headerSize, 124), dib.begin());
  dib.insert(dib.end(), tail.begin(), tail.end());
  return dib;
}

std::vector<uint8_t> BmpFile(const std::vector<uint8_t>& dib, uint32_t pixelOffset) {
  std::vector<uint8_t> file(14);
  file[0] = 'B', file[1] = 'M';
  StoreU32LE(&file[2], uint32_t(14 + dib.size())), StoreU32LE(&file[10], pixelOffset);
  file.insert(file.end(), dib.begin(), dib.end());
  return file;
}

std::vector<uint8_t> ClipboardFile(const std::vector<ClipboardEntry>& entries) {
  std::vector<uint8_t> out(4 + 89 * entries.size());
  StoreU16LE(&out[0], 50000);
  StoreU16LE(&out[2], static_cast<uint16_t>(entries.size()));
  for (size_t i = 0; i < entries.size(); ++i) {
    uint8_t* entry = &out[4 + 89 * i];
    StoreU16LE(entry, entries[i].format);
    StoreU32LE(entry + 2, static_cast<uint32_t>(entries[i].data.size()));
    StoreU32LE(entry + 6, static_cast<uint32_t>(out.size()));
    std::memcpy(entry + 10, "Name", 4);
    out.insert(out.end(), entries[i].data.begin(), entries[i].data.end());
  }
  return out;
}

} // namespace testsupport
