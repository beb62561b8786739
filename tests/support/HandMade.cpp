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

std::vector<uint8_t> LbmFile::Build() const {
  std::vector<uint8_t> out;
  auto tag = [&](const std::string& id) { out.insert(out.end(), id.begin(), id.begin() + 4); };
  auto be = [&](uint32_t v, int n) {
    while (n--)
      out.push_back(uint8_t(v >> 8 * n));
  };
  tag("FORM"), be(0, 4), tag(formType), tag("BMHD"), be(20, 4); // the form size is not read
  be(width, 2), be(height, 2), be(0, 4);
  out.insert(out.end(), {planes, masking, compression, 0, 0, 0, 1, 1});
  be(width, 2), be(height, 2);
  for (const auto& [id, data] : chunks) {
    tag(id), be(uint32_t(data.size()), 4);
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() % 2) out.push_back(0);
  }
  return out;
}

std::vector<uint8_t> GifFile(const GifParts& p) {
  using Bytes = std::vector<uint8_t>;
  auto u16 = [](int v) { return Bytes{uint8_t(v), uint8_t(v >> 8)}; };
  auto append = [](Bytes& to, const Bytes& what) { to.insert(to.end(), what.begin(), what.end()); };
  auto flag = [](const Bytes& table) { // 2 or 4 entries
    return uint8_t(table.empty() ? 0 : table.size() > 6 ? 0x81 : 0x80);
  };
  Bytes out = {'G', 'I', 'F', '8', '9', 'a'};
  append(out, u16(p.width)), append(out, u16(p.height));
  append(out, {flag(p.globalTable), 0, 0}), append(out, p.globalTable);
  append(out, p.blocksBefore), append(out, {0x2C, 0, 0, 0, 0});
  append(out, u16(p.width)), append(out, u16(p.height));
  out.push_back(p.descriptorFlags | flag(p.localTable));
  append(out, p.localTable), append(out, p.imageData);
  out.push_back(0x3B);
  return out;
}

std::vector<uint8_t> PcxFile(const PcxHeader& h, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> out(128 + data.size(), 0);
  auto put16 = [&](size_t at, int v) { StoreU16LE(&out[at], uint16_t(v)); };
  out[0] = 10, out[1] = uint8_t(h.version), out[2] = 1, out[3] = uint8_t(h.bitsPerPixel);
  put16(4, h.xmin), put16(6, h.ymin);
  put16(8, h.xmin + h.width - 1), put16(10, h.ymin + h.height - 1);
  out[65] = uint8_t(h.planes);
  put16(66, h.bytesPerLine);
  std::copy(data.begin(), data.end(), out.begin() + 128);
  return out;
}

} // namespace testsupport
