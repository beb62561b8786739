// Builds LBM files for the decoder tests: the IFF container, planar and chunky bodies, and
// a ByteRun1 packer that packs a whole body as one stream, so runs cross rows freely.
#pragma once

#include "graphics/Bitmap.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace lbmtest {

struct LbmFile {
  std::string formType = "ILBM";
  uint16_t width = 0, height = 0;
  uint8_t planes = 8, masking = 0, compression = 0;
  std::vector<std::pair<std::string, std::vector<uint8_t>>> chunks; // after BMHD, in order

  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> out;
    auto tag = [&](const std::string& id) { out.insert(out.end(), id.begin(), id.begin() + 4); };
    auto u32 = [&](uint32_t v) {
      for (int s = 24; s >= 0; s -= 8)
        out.push_back(static_cast<uint8_t>(v >> s));
    };
    auto u16 = [&](uint16_t v) {
      out.push_back(static_cast<uint8_t>(v >> 8));
      out.push_back(static_cast<uint8_t>(v));
    };
    tag("FORM");
    u32(0);
    tag(formType);
    tag("BMHD");
    u32(20);
    u16(width), u16(height), u32(0);
    out.insert(out.end(), {planes, masking, compression, 0});
    u16(0), out.push_back(1), out.push_back(1), u16(width), u16(height);
    for (const auto& [id, data] : chunks) {
      tag(id);
      u32(static_cast<uint32_t>(data.size()));
      out.insert(out.end(), data.begin(), data.end());
      if (data.size() % 2) out.push_back(0);
    }
    uint32_t formSize = static_cast<uint32_t>(out.size() - 8);
    for (int i = 0; i < 4; ++i)
      out[4 + i] = static_cast<uint8_t>(formSize >> (24 - 8 * i));
    return out;
  }
};

// ILBM body: per row each plane's bits, rows of 2 × ⌈w / 16⌉ bytes; with a mask plane after
// the colour planes (all bits set).
inline std::vector<uint8_t> PlanarBody(const std::vector<uint8_t>& indices, int width, int height,
                                       int planes, bool maskPlane = false) {
  size_t rowBytes = 2 * ((width + 15) / 16);
  std::vector<uint8_t> body;
  for (int y = 0; y < height; ++y) {
    for (int p = 0; p < planes + (maskPlane ? 1 : 0); ++p) {
      std::vector<uint8_t> plane(rowBytes, p == planes ? 0xFF : 0);
      for (int x = 0; x < width && p < planes; ++x)
        if (indices[y * width + x] >> p & 1) plane[x / 8] |= 0x80 >> (x % 8);
      body.insert(body.end(), plane.begin(), plane.end());
    }
  }
  return body;
}

// ByteRun1 over the whole stream. `noOpEvery` > 0 puts a 128 control byte before every n-th
// packet.
inline std::vector<uint8_t> ByteRun1(const std::vector<uint8_t>& data, int noOpEvery = 0) {
  std::vector<uint8_t> out;
  size_t i = 0;
  int packets = 0;
  while (i < data.size()) {
    if (noOpEvery > 0 && ++packets % noOpEvery == 0) out.push_back(128);
    size_t run = 1;
    while (i + run < data.size() && run < 128 && data[i + run] == data[i])
      ++run;
    if (run >= 2) {
      out.push_back(static_cast<uint8_t>(257 - run));
      out.push_back(data[i]);
      i += run;
      continue;
    }
    size_t start = i;
    while (i < data.size() && i - start < 128 && !(i + 1 < data.size() && data[i + 1] == data[i]))
      ++i;
    if (i == start) ++i;
    out.push_back(static_cast<uint8_t>(i - start - 1));
    out.insert(out.end(), data.begin() + start, data.begin() + i);
  }
  return out;
}

// Palette index of a 4- or 8-bit bitmap's pixel.
inline int IndexAt(const TBitmap& bitmap, int x, int y) {
  const uint8_t* row = bitmap.ScanLine(y);
  if (bitmap.BitsPerPixel() == 8) return row[x];
  return x % 2 ? row[x / 2] & 0x0F : row[x / 2] >> 4;
}

// A deterministic picture of `colors` values with runs of equal pixels and noise.
inline std::vector<uint8_t> Indices(int width, int height, int colors, uint32_t seed = 1) {
  std::vector<uint8_t> out(static_cast<size_t>(width) * height);
  for (size_t i = 0; i < out.size(); ++i) {
    seed = seed * 1103515245 + 12345;
    bool noise = (seed >> 16) % 4 == 0;
    out[i] = static_cast<uint8_t>((noise ? seed >> 20 : i / 7 + i / width) % colors);
  }
  return out;
}

} // namespace lbmtest
