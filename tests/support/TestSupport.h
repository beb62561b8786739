// Helpers shared by the tests: temporary folders, running external tools, reading files,
// pictures written to and loaded from memory.
#pragma once

#include "blz/UniBmp.h"
#include "io/Streams.h"

#include <cstdint>
#include <exception>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace testsupport {

// A fresh folder removed with its contents when the object goes.
class TempDir {
public:
  TempDir();
  ~TempDir();
  const std::filesystem::path& Path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
  std::filesystem::path path_;
};

std::vector<uint8_t> ReadFile(const std::string& fileName);
void WriteFile(const std::string& fileName, const std::vector<uint8_t>& bytes);
// Runs a shell command; returns its exit status.
int Run(const std::string& command);
bool HaveTool(const std::string& tool);
// Hex bytes separated by spaces ("42 4D 46") to bytes.
std::vector<uint8_t> Hex(const std::string& text);
// Folder of the shared public corpora, or empty when it is absent.
std::filesystem::path CorporaDir();
// The kept files under tests/data/regressions whose rows in corpora.tsv read them with
// `reader` and have an outcome starting with `outcome` ("! " for the refused ones).
std::vector<std::string> KeptFiles(const std::string& reader, const std::string& outcome);

// Pixels of a netpbm file (PBM/PGM/PPM/PAM), as 0xAARRGGBB.
struct Image {
  int width = 0, height = 0;
  bool alpha = false; // the file has an alpha channel
  std::vector<uint32_t> pixels;
};
Image ReadNetpbm(const std::string& fileName);

// Empty when equal, else the difference. Channels are equal within `tolerance`, or in their
// top `bits` (the file's precision: scaling n-bit values to 8 bits by rounding or by copying
// bits down then counts as equal). Alpha is compared where both have it; else only the
// colour channels are, and a fully transparent reference pixel matches any pixel.
std::string ComparePixels(const TBitmap& bitmap, const Image& reference, int tolerance = 0,
                          int bits = 8);

// The bytes `save` writes into a memory stream.
template <class F> std::vector<uint8_t> Saved(F&& save) {
  TMemoryStream stream;
  save(stream);
  return {stream.Bytes().begin(), stream.Bytes().end()};
}

// A bitmap as a plain BMP file.
std::vector<uint8_t> Written(const TBitmap& bitmap);

// A picture of class T loaded from `bytes`.
template <class T> T Loaded(std::span<const uint8_t> bytes) {
  TReadOnlyMemoryStream stream(bytes);
  T picture;
  picture.LoadFromStream(stream);
  return picture;
}

// A width × height picture of `format` whose bytes are random one in `every` and 0x33
// otherwise (so it packs to some degree unless `every` is 1); the row padding is cleared.
TUniBitmap Noise(int width, int height, TPixelFormat format, unsigned seed, unsigned every = 1);

// The message of the `E` that `action` throws, or "" when it throws none; other exceptions
// pass through and fail the test.
template <class E = std::exception, class F> std::string ThrownText(F&& action) {
  try {
    action();
  } catch (const E& e) {
    return e.what();
  }
  return "";
}

} // namespace testsupport
