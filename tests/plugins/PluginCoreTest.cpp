// The plugins' Qt-free part: what a file is, and what a failure means to a host.
#include "PluginCore.h"
#include "blz/BlzErrors.h"
#include "formats/SClpDib.h"
#include "formats/SGIFImg.h"
#include "formats/SLBMImg.h"
#include "formats/SPCXImg.h"
#include "io/ByteReader.h"
#include "io/Streams.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Bytes = std::vector<uint8_t>;

std::vector<uint8_t> StreamPicture(int width, int height) {
  TUniBitmap bitmap;
  bitmap.Allocate(width, height, TPixelFormat::pf24bit, true);
  TMemoryStream out;
  bitmap.SaveToBLZStream(out);
  return {out.Bytes().begin(), out.Bytes().end()};
}

// What the host is told of the failure `action` throws.
template <class F> TDecodeFailure FailureOf(F action) {
  try {
    action();
  } catch (const std::exception& failure) {
    return ClassifyFailure(failure);
  }
  ADD_FAILURE() << "no failure";
  return TDecodeFailure::Corrupt;
}

Bytes Text(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

// A clipboard file of one CF_DIB entry.
Bytes ClipboardFile(const Bytes& dib, uint32_t lengthExtra = 0) {
  Bytes file(4 + 89);
  StoreU16LE(&file[0], 50000), StoreU16LE(&file[2], 1), StoreU16LE(&file[4], 8);
  StoreU32LE(&file[6], static_cast<uint32_t>(dib.size() + lengthExtra));
  StoreU32LE(&file[10], static_cast<uint32_t>(file.size()));
  file.insert(file.end(), dib.begin(), dib.end());
  return file;
}

// A 40-byte info header of a 24-bit picture.
Bytes InfoHeader(int32_t width, int32_t height) {
  Bytes header(40);
  StoreU32LE(&header[0], 40), StoreU32LE(&header[4], uint32_t(width));
  StoreU32LE(&header[8], uint32_t(height)), StoreU16LE(&header[12], 1);
  StoreU16LE(&header[14], 24);
  return header;
}

Bytes BmpFile(int32_t width, int32_t height) {
  Bytes file(14);
  file[0] = 'B', file[1] = 'M', StoreU32LE(&file[10], 54);
  const Bytes info = InfoHeader(width, height);
  file.insert(file.end(), info.begin(), info.end());
  return file;
}

Bytes Gif(uint16_t width) {
  Bytes file = Text("GIF89a");
  file.resize(13);
  file.push_back(0x2C);
  file.resize(file.size() + 9);
  StoreU16LE(&file[18], width), StoreU16LE(&file[20], 1);
  file.insert(file.end(), {2, 1, 0x0C, 0}); // a clear code and a pixel, then no end code
  return file;
}

Bytes Pcx(uint16_t xmax, uint16_t bytesPerLine) {
  Bytes file(128);
  file[0] = 10, file[1] = 5, file[2] = 1, file[3] = 8, file[65] = 1;
  StoreU16LE(&file[8], xmax), StoreU16LE(&file[66], bytesPerLine);
  return file;
}

// An ILBM of 8 planes, compressed, whose body holds two bytes.
Bytes Ilbm(uint16_t width, uint16_t height, uint32_t bodySize = 2) {
  Bytes file = Text(std::string("FORM\0\0\0\0ILBMBMHD", 16));
  file.insert(file.end(), {0, 0, 0, 20, uint8_t(width >> 8), uint8_t(width), uint8_t(height >> 8),
                           uint8_t(height), 0, 0, 0, 0, 8, 0, 1});
  file.resize(file.size() + 9);
  const Bytes body = Text("BODY");
  file.insert(file.end(), body.begin(), body.end());
  file.insert(file.end(), {uint8_t(bodySize >> 24), uint8_t(bodySize >> 16), uint8_t(bodySize >> 8),
                           uint8_t(bodySize), 0, 0});
  return file;
}

// Every format's failures as a host sees them: a file of another format is an unknown type, a
// picture beyond the limits (or the decoder's own size limits) is out of memory, and
// anything else is a corrupt image. The plugins' formats go through DecodeImage.
TEST(PluginCoreTest, EveryFormatsFailuresAreToldApartForTheHost) {
  using F = TDecodeFailure;
  Bytes truncatedBlz = StreamPicture(5, 5);
  truncatedBlz.resize(truncatedBlz.size() - 3);
  Bytes stored(58, 0);
  stored[0] = 'B', stored[1] = 'M';
  StoreU32LE(&stored[30], kLzrwMagic); // a packed bitmap of stored size 0: no image
  Bytes unmarked = stored;
  unmarked[0] = 'X'; // the magic where a packed bitmap has it, in a file that is no BMP
  Bytes riff = Text("RIFF");
  riff.resize(40);
  Bytes shortPcx = Pcx(0, 1);
  shortPcx[8] = 0xFF, shortPcx[9] = 0xFF; // xmax −1: no width
  auto plugin = [](std::span<const uint8_t> file) {
    TBitmap bitmap;
    DecodeImage(file, bitmap);
  };
  auto gif = [](std::span<const uint8_t> file) { DecodeGif(file); };
  auto pcx = [](std::span<const uint8_t> file) { DecodePcx(file); };
  auto lbm = [](std::span<const uint8_t> file) { DecodeLbm(file); };
  auto clp = [](std::span<const uint8_t> file) { DecodeClp(file); };
  auto bmp = [](std::span<const uint8_t> file) {
    TBitmap bitmap;
    ReadBmp(file, bitmap);
  };
  const struct {
    const char* name;
    Bytes file;
    std::function<void(std::span<const uint8_t>)> decode;
    F expected;
  } cases[] = {
      {"plugin: none of the formats", Text("hello"), plugin, F::NotThisFormat},
      {"BLZ truncated", truncatedBlz, plugin, F::Corrupt},
      {"BLZ holding no image", stored, plugin, F::Corrupt},
      {"BLZ magic without a BMP header", unmarked, plugin, F::NotThisFormat},
      {"clipboard entry beyond the end", ClipboardFile(InfoHeader(1, 1), 1), plugin, F::Corrupt},
      {"clipboard DIB too large", ClipboardFile(InfoHeader(65535, 65535)), plugin, F::OutOfMemory},
      {"clipboard DIB cut short", ClipboardFile(InfoHeader(4, 4)), plugin, F::Corrupt},
      {"LBM too large", Ilbm(8000, 65535), plugin, F::OutOfMemory},
      {"LBM too wide", Ilbm(9000, 1), plugin, F::OutOfMemory},
      {"LBM body beyond the end", Ilbm(8, 1, 99), plugin, F::Corrupt},
      {"not a clipboard file", Text("hello"), clp, F::NotThisFormat},
      {"not an LBM", riff, lbm, F::NotThisFormat},
      {"not a GIF", Text("hello"), gif, F::NotThisFormat},
      {"GIF too wide", Gif(8002), gif, F::OutOfMemory},
      {"GIF without its end code", Gif(1), gif, F::Corrupt},
      {"not a PCX", Text("hello"), pcx, F::NotThisFormat},
      {"PCX too wide", Pcx(8999, 9000), pcx, F::OutOfMemory},
      {"PCX without width", shortPcx, pcx, F::Corrupt},
      {"not a BMP", Text("hello"), bmp, F::NotThisFormat},
      {"BMP too large", BmpFile(65535, 65535), bmp, F::OutOfMemory},
      {"BMP cut short", BmpFile(4, 4), bmp, F::Corrupt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FailureOf([&] { c.decode(c.file); }), c.expected) << c.name;
  EXPECT_EQ(FailureOf([] { throw std::bad_alloc(); }), F::OutOfMemory);
  EXPECT_EQ(FailureOf([] { throw EOutOfResources("no room"); }), F::OutOfMemory);
  EXPECT_EQ(FailureOf([] { ThrowBlzError(TBlzError::TooLarge); }), F::OutOfMemory);
}

} // namespace
