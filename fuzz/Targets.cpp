// The fuzz targets, one per parser. Each takes arbitrary bytes and must read them or refuse
// them with an exception: never crash, hang, leak or read outside its input. CMake builds
// this file once per target, with VANTREL_FUZZ_TARGET naming one of the functions below; a
// target aborts where a reader gives a result it promises never to give.
#include "../tests/core/Lzrw1khReference.h"
#include "blz/UniBmp.h"
#include "codec/LZRW1KH.h"
#include "formats/FormatTable.h"
#include "io/Exceptions.h"
#include "io/Streams.h"
#include "qt/Canvas.h"
#include "qt/Icon.h"
#include "qt/JPEGImage.h"
#include "qt/Metafile.h"
#include "qt/SLoadImg.h"

#ifdef VANTREL_FUZZ_BLZ_STREAMING
#include "cli/Streaming.h"
#endif
#ifdef VANTREL_FUZZ_PLUGIN_DECODE
#include "PluginCore.h"
#include "bmp/PixelRows.h"
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::span<const uint8_t>;

template <class Reader> void Load(Reader& reader, Bytes bytes) {
  TReadOnlyMemoryStream stream(bytes);
  reader.LoadFromStream(stream);
}

void Require(bool promise) {
  if (!promise) std::abort();
}

} // namespace

// Every build uses one of these; they have external linkage so that the others raise no
// unused-function warning.
namespace targets {

void bmp_reader(Bytes bytes) {
  TBitmap bitmap;
  ReadBmp(bytes, bitmap);
}

// Layout recognition, both BLZ layouts with their block records, and the BMP reader behind.
void unibmp(Bytes bytes) {
  TUniBitmap bitmap;
  Load(bitmap, bytes);
}

// The first byte picks the output capacity, so that the limits of small buffers are
// exercised too; the decoder must stop exactly where the plain one-item-at-a-time one stops.
void decompress_block(Bytes bytes) {
  if (bytes.empty() || bytes.size() > lzrw1kh::kWorkBufferSize + 1) return;
  const size_t capacity = bytes[0] < 128 ? lzrw1kh::kMaxBlockInput : size_t{bytes[0]} * 8;
  const std::vector<uint8_t> block(bytes.begin() + 1, bytes.end());
  std::vector<uint8_t> out(capacity), expected(capacity);
  const size_t count = DecompressBlock(block.data(), out.data(), block.size(), capacity);
  const size_t plain =
      lzrw1kh_reference::Decompress(block.data(), expected.data(), block.size(), capacity);
  Require(count == plain && std::memcmp(out.data(), expected.data(), count) == 0);
}

// The core's decoders, through the format table's decode entries.
TBitmap Decode(TFormatId format, Bytes bytes) {
  TReadOnlyMemoryStream stream(bytes);
  return FormatOf(format).decode(stream);
}

void gif(Bytes bytes) {
  const TBitmap bitmap = Decode(TFormatId::Gif, bytes);
  Require(bitmap.BitsPerPixel() == 8 && bitmap.Palette().size() == 256);
}

void pcx(Bytes bytes) {
  const int bpp = Decode(TFormatId::Pcx, bytes).BitsPerPixel();
  Require(bpp == 4 || bpp == 8 || bpp == 24);
}

// HAM and deep pictures come out at 24 bits; a colour table never has more than 256 entries.
void lbm(Bytes bytes) {
  const TBitmap bitmap = Decode(TFormatId::Lbm, bytes);
  const int bpp = bitmap.BitsPerPixel();
  Require((bpp == 4 || bpp == 8 || bpp == 24) && bitmap.Palette().size() <= 256 && !bitmap.Empty());
}

void clp(Bytes bytes) {
  Decode(TFormatId::Clp, bytes);
}

// libjpeg's errors become exceptions; sizes are checked before anything is allocated.
void jpeg(Bytes bytes) {
  TJPEGImage image;
  Load(image, bytes);
}

// What was decoded is also drawn.
void icon(Bytes bytes) {
  TIcon image;
  Load(image, bytes);
  RenderGraphic(image, image.Width(), image.Height());
}

// A header check, a trial playback on load, and a real playback at the picture's size
// (capped, so that a large header does not make every run slow).
void Metafile(Bytes bytes, bool enhanced) {
  TMetafile metafile;
  Load(metafile, bytes);
  if (metafile.Enhanced() == enhanced)
    RenderGraphic(metafile, std::min(metafile.Width(), 256), std::min(metafile.Height(), 256));
}
void wmf(Bytes bytes) {
  Metafile(bytes, false);
}
void emf(Bytes bytes) {
  Metafile(bytes, true);
}

// The whole loader: the bytes go to one file per process, under an extension no row knows,
// so that every probe runs.
void loader(Bytes bytes) {
  static const std::string fileName =
      "/tmp/vantrel-loader-fuzz-" + std::to_string(getpid()) + ".dat";
  FILE* file = std::fopen(fileName.c_str(), "wb");
  if (!file) return;
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  TImageLoader imageLoader;
  try {
    imageLoader.tryLoadImageFile(fileName);
  } catch (const Exception&) {
  }
  std::remove(fileName.c_str());
}

#ifdef VANTREL_FUZZ_BLZ_STREAMING
// The command line's streaming reader over memory: unpack, verify and info. What unpack
// streams is what the whole-picture path writes, and that path must then read the input too.
void blz_streaming(Bytes bytes) {
  TReadOnlyMemoryStream input(bytes);
  TMemoryStream streamed;
  const bool wasStreamed = StreamUnpack(input, streamed) == TPath::Streamed;
  try {
    StreamVerify(input, "input", true);
  } catch (const Exception&) {
  }
  try {
    HeaderInfo(input);
  } catch (const Exception&) {
  }
  if (!wasStreamed) return;
  TUniBitmap bitmap;
  TMemoryStream whole;
  try {
    Load(bitmap, bytes);
    bitmap.SaveToStream(whole);
  } catch (const Exception&) {
    std::abort();
  }
  Require(whole.Size() == streamed.Size() &&
          std::equal(whole.Bytes().begin(), whole.Bytes().end(), streamed.Bytes().begin()));
}
#endif

#ifdef VANTREL_FUZZ_PLUGIN_DECODE
// The plugins' decoding entry and the rows they hand to a host, with and without alpha.
void plugin_decode(Bytes bytes) {
  TBitmap bitmap;
  try {
    DecodeImage(bytes, bitmap);
  } catch (const std::exception& failure) {
    ClassifyFailure(failure);
    throw;
  }
  std::vector<uint8_t> row(4 * static_cast<size_t>(bitmap.Width()));
  for (int y = 0; y < bitmap.Height(); ++y)
    for (bool alpha : {false, true})
      ConvertRow(bitmap, y, alpha ? TRowLayout::Rgba : TRowLayout::Rgb, row.data());
}
#endif

} // namespace targets

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A private copy, so that a read past the end of the input hits the sanitizer's red zone.
  const std::vector<uint8_t> bytes(data, data + size);
  try {
    targets::VANTREL_FUZZ_TARGET(bytes);
  } catch (const Exception&) {
  }
  return 0;
}
