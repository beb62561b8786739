// Hand-made DIBs, BMP files and clipboard files, for the layouts and damage no tool at hand
// writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace testsupport {

struct DibSpec {
  uint32_t headerSize = 40; // 12: a core header, with 16-bit sizes and no more fields
  uint16_t bpp = 24;
  uint32_t compression = 0;
  uint32_t colorsUsed = 0;
  int32_t width = 2, height = 1;
  uint16_t planes = 1;
  size_t after = 4096; // zero bytes after the header: room for any table and the rows
};

// The header (the fields a header of that size holds), `after` zero bytes and `tail`.
std::vector<uint8_t> Dib(const DibSpec& spec, const std::vector<uint8_t>& tail = {});

// A BMP file of a DIB: the file header, its pixels at `pixelOffset`.
std::vector<uint8_t> BmpFile(const std::vector<uint8_t>& dib, uint32_t pixelOffset = 54);

struct ClipboardEntry {
  uint16_t format; // 8: CF_DIB
  std::vector<uint8_t> data;
};

// A clipboard file with the entries in the given order, their data after the directory.
std::vector<uint8_t> ClipboardFile(const std::vector<ClipboardEntry>& entries);

} // namespace testsupport
