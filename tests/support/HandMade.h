// Hand-made DIBs, BMP, clipboard, LBM, GIF and PCX files, for the layouts and damage no tool
// at hand writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
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

// An IFF picture: the form, its bitmap header and the chunks after it.
struct LbmFile {
  std::string formType = "ILBM";
  uint16_t width = 16, height = 2;
  uint8_t planes = 2, masking = 0, compression = 0;
  std::vector<std::pair<std::string, std::vector<uint8_t>>> chunks; // after BMHD, in order

  std::vector<uint8_t> Build() const;
};

// A GIF of one image, the logical screen its size.
struct GifParts {
  std::vector<uint8_t> imageData; // minimum code size and sub-blocks
  int width = 2, height = 2;
  uint8_t descriptorFlags = 0;
  std::vector<uint8_t> blocksBefore; // extensions and other blocks before the image descriptor
  std::vector<uint8_t> localTable;
  std::vector<uint8_t> globalTable = {0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF}; // 4 entries
};
std::vector<uint8_t> GifFile(const GifParts& parts);

// A run-length encoded PCX file: the 128-byte header, then `data`.
struct PcxHeader {
  int bitsPerPixel = 8, planes = 1, version = 5;
  int xmin = 0, ymin = 0, width = 4, height = 2;
  int bytesPerLine = 4;
};
std::vector<uint8_t> PcxFile(const PcxHeader& header, const std::vector<uint8_t>& data);

} // namespace testsupport
