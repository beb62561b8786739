// The plugins' Qt-free part: what a file is, and what a failure means to a host.
#include "PluginCore.h"
#include "HandMade.h"
#include "TestSupport.h"
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

// A clipboard file of one CF_DIB entry: a 40-byte header of a 24-bit picture.
Bytes ClipboardFile(int32_t width, int32_t height) {
  return testsupport::ClipboardFile(
      {{8, testsupport::Dib({.width = width, .height = height, .after = 0})}});
}

// An ILBM of 8 planes, compressed, whose body holds two bytes and claims `bodySize`.
Bytes Ilbm(uint16_t width, uint16_t height, uint8_t bodySize = 2) {
  Bytes file = testsupport::LbmFile{"ILBM", width, height, 8, 0, 1, {{"BODY", {0, 0}}}}.Build();
  file.end()[-3] = bodySize; // the low byte of the body's big-endian length
  return file;
}

// A GIF of one row: a clear code and a pixel, then no end code.
Bytes Gif(int width) {
  return testsupport::GifFile({.imageData = {2, 1, 0x0C, 0}, .width = width, .height = 1});
}

// Every format's failures as a host sees them: a file of another format is an unknown type, a
// picture beyond the limits (or the decoder's own size limits) is out of memory, and
// anything else is a corrupt image. The plugins' formats go through DecodeImage.
TEST(PluginCoreTest, EveryFormatsFailuresAreToldApartForTheHost) {
  using F = TDecodeFailure;
  TUniBitmap black;
  black.Allocate(5, 5, TPixelFormat::pf24bit, true);
  Bytes truncatedBlz = testsupport::Saved([&](TStream& s) { black.SaveToBLZStream(s); });
  truncatedBlz.resize(truncatedBlz.size() - 3);
  Bytes beyond = ClipboardFile(1, 1);
  beyond[6] += 1; // the entry's length one byte beyond the end
  Bytes stored(58, 0);
  stored[0] = 'B', stored[1] = 'M';
  StoreU32LE(&stored[30], kLzrwMagic); // a packed bitmap of stored size 0: no image
  Bytes unmarked = stored;
  unmarked[0] = 'X'; // the magic where a packed bitmap has it, in a file that is no BMP
  Bytes riff = Text("RIFF");
  riff.resize(40);
  // xmax −1: no width.
  const Bytes shortPcx =
      testsupport::PcxFile({.width = 0x10000, .height = 1, .bytesPerLine = 1}, {});
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
      {"clipboard entry beyond the end", beyond, plugin, F::Corrupt},
      {"clipboard DIB too large", ClipboardFile(65535, 65535), plugin, F::OutOfMemory},
      {"clipboard DIB cut short", ClipboardFile(4, 4), plugin, F::Corrupt},
      {"LBM too large", Ilbm(8000, 65535), plugin, F::OutOfMemory},
      {"LBM too wide", Ilbm(9000, 1), plugin, F::OutOfMemory},
      {"LBM body beyond the end", Ilbm(8, 1, 99), plugin, F::Corrupt},
      {"not a clipboard file", Text("hello"), clp, F::NotThisFormat},
      {"not an LBM", riff, lbm, F::NotThisFormat},
      {"not a GIF", Text("hello"), gif, F::NotThisFormat},
      {"GIF too wide", Gif(8002), gif, F::OutOfMemory},
      {"GIF without its end code", Gif(1), gif, F::Corrupt},
      {"not a PCX", Text("hello"), pcx, F::NotThisFormat},
      {"PCX too wide", testsupport::PcxFile({.width = 9000, .height = 1, .bytesPerLine = 9000}, {}),
       pcx, F::OutOfMemory},
      {"PCX without width", shortPcx, pcx, F::Corrupt},
      {"not a BMP", Text("hello"), bmp, F::NotThisFormat},
      {"BMP too large",
       testsupport::BmpFile(testsupport::Dib({.width = 65535, .height = 65535, .after = 0})), bmp,
       F::OutOfMemory},
      {"BMP cut short",
       testsupport::BmpFile(testsupport::Dib({.width = 4, .height = 4, .after = 0})), bmp,
       F::Corrupt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FailureOf([&] { c.decode(c.file); }), c.expected) << c.name;
  EXPECT_EQ(FailureOf([] { throw std::bad_alloc(); }), F::OutOfMemory);
  EXPECT_EQ(FailureOf([] { throw EOutOfResources("no room"); }), F::OutOfMemory);
  EXPECT_EQ(FailureOf([] { ThrowBlzError(TBlzError::TooLarge); }), F::OutOfMemory);
}

} // namespace
