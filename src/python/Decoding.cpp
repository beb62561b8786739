#include "python/Decoding.h"

#include "blz/BlzErrors.h"
#include "blz/UniBmp.h"
#include "formats/FormatTable.h"
#include "formats/SClpDib.h"
#include "formats/SGIFImg.h"
#include "formats/SLBMImg.h"
#include "formats/SPCXImg.h"
#include "formats/WindowRule.h"
#include "io/ByteReader.h"
#include "io/Streams.h"
#include "python/BlzRows.h"
#include "python/Errors.h"
#include "python/Files.h"
#include "python/ModuleInput.h"

#include <cstring>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

bool Starts(std::span<const uint8_t> bytes, const char* tag, size_t offset = 0) {
  const size_t length = std::strlen(tag);
  return bytes.size() >= offset + length && std::memcmp(bytes.data() + offset, tag, length) == 0;
}

TBitmap DecodeBitmap(TStream& stream) {
  TUniBitmap bitmap;
  bitmap.LoadFromStream(stream);
  // A packed header with a stored size of 0 restores nothing and raises nothing.
  if (bitmap.Empty()) ThrowBlzError(TBlzError::HoldsNoImage);
  return bitmap;
}

// A row of the format table that the core decodes: the signature that claims a file for it
// and its decoder. A strong signature claims the file alone; PCX's one byte may be anything's.
struct TCoreDecoder {
  std::string_view name;
  bool (*claims)(std::span<const uint8_t>);
  TBitmap (*decode)(TStream&);
  bool strong = true;
};

const TCoreDecoder kCoreDecoders[] = {
    {"bmp", [](std::span<const uint8_t> b) { return Starts(b, "BM"); }, DecodeBitmap},
    {"blz", [](std::span<const uint8_t> b) { return Starts(b, "LZRW") || Starts(b, "WRZL"); },
     DecodeBitmap},
    {"gif", [](std::span<const uint8_t> b) { return Starts(b, "GIF8"); }, DecodeGif},
    {"pcx", [](std::span<const uint8_t> b) { return !b.empty() && b[0] == 0x0A; }, DecodePcx,
     false},
    {"lbm", [](std::span<const uint8_t> b) { return Starts(b, "FORM"); }, DecodeLbm},
    {"clp",
     [](std::span<const uint8_t> b) { return b.size() >= 2 && LoadU16LE(b.data()) == 50000; },
     DecodeClp},
};

const TCoreDecoder* CoreDecoderNamed(std::string_view name) {
  for (const TCoreDecoder& decoder : kCoreDecoders)
    if (decoder.name == name) return &decoder;
  return nullptr;
}

// What the format table calls a file the bitmap read: a BLZ file of either layout, or BMP.
std::string BitmapFormatName(std::span<const uint8_t> bytes, std::string_view claimed) {
  if (claimed != "bmp" && claimed != "blz") return std::string(claimed);
  return RecognizeLayout(bytes) == TBmpLayout::Plain ? "bmp" : "blz";
}

TDecodedBitmap DecodeWithCore(const TCoreDecoder& decoder, std::span<const uint8_t> bytes) {
  TReadOnlyMemoryStream stream(bytes);
  return {decoder.decode(stream), BitmapFormatName(bytes, decoder.name), {}};
}

// The name of the input module's row that these bytes are, by that row's signatures in the
// format table; empty for what only the loader's later readers know.
std::string ModuleFormatName(std::span<const uint8_t> bytes) {
  for (const TInputFormat& format : InputFormats())
    if (format.layer == TDecodeLayer::Qt)
      for (const TSignature& signature : format.signatures)
        if (MatchesSignature(bytes, signature)) return std::string(format.name);
  return {};
}

TDecodedBitmap DecodeWithModule(std::span<const uint8_t> bytes, const std::string& fileName,
                                const std::string& format) {
  const TInputModule& module = InputModule();
  // The loader would take a bitmap's name at its word; the module is asked by content.
  std::unique_ptr<TTemporaryFile> copy;
  if (fileName.empty() || ReadByBitmapItself(fileName))
    copy = std::make_unique<TTemporaryFile>(bytes);
  std::vector<uint8_t> bmp;
  std::vector<std::string> notes;
  module.read(copy ? copy->Name() : fileName, format, bmp, notes);
  TBitmap bitmap;
  ReadBmp(bmp, bitmap);
  bmp = {};
  return {std::move(bitmap), format.empty() ? ModuleFormatName(bytes) : format, std::move(notes)};
}

// The core's decoder that `format` names, or that claims the bytes first when it is empty;
// null for the input module's formats (a weak claim that fails goes on to those too).
const TCoreDecoder* CoreDecoderFor(std::span<const uint8_t> bytes, const std::string& format) {
  if (!format.empty()) {
    const TInputFormat* row = FindInputFormat(format);
    return row ? CoreDecoderNamed(row->name) : nullptr;
  }
  for (const TCoreDecoder& decoder : kCoreDecoders)
    if (decoder.claims(bytes)) return &decoder;
  return nullptr;
}

} // namespace

TDecodedBitmap DecodeFile(std::span<const uint8_t> bytes, const std::string& fileName,
                          const std::string& format) {
  if (!format.empty()) {
    const TInputFormat* row = FindInputFormat(format);
    if (!row) throw ENotThisFormat("unknown format " + format + ": " + InputFormatList());
    if (const TCoreDecoder* decoder = CoreDecoderNamed(row->name))
      return DecodeWithCore(*decoder, bytes);
    return DecodeWithModule(bytes, fileName, std::string(row->name));
  }
  std::exception_ptr weakFailure;
  for (const TCoreDecoder& decoder : kCoreDecoders) {
    if (!decoder.claims(bytes)) continue;
    if (decoder.strong) return DecodeWithCore(decoder, bytes);
    try {
      return DecodeWithCore(decoder, bytes);
    } catch (const Exception&) {
      weakFailure = std::current_exception();
    }
  }
  try {
    return DecodeWithModule(bytes, fileName, "");
  } catch (const Exception& failure) {
    if (weakFailure) std::rethrow_exception(weakFailure);
    if (std::string_view(failure.what()) != "Not Known Format") throw;
    // The loader takes a metafile whose text cannot be drawn for no metafile at all.
    const std::string name = ModuleFormatName(bytes);
    if ((name == "wmf" || name == "emf") && syscall(SYS_gettid) != getpid())
      throw EHostError("Not Known Format; if this metafile draws text, reading it off the main "
                       "thread needs vantrel.prepare_threads() on the main thread first");
    throw ENotThisFormat(failure.what());
  }
}

TPythonPicture DecodePicture(std::span<const uint8_t> bytes, const std::string& fileName,
                             const std::string& format) {
  // A BLZ file goes straight into the picture's layout when it can.
  if (const TCoreDecoder* decoder = CoreDecoderFor(bytes, format);
      decoder && decoder->decode == DecodeBitmap)
    if (std::optional<TPythonPicture> picture = PictureFromBlzRows(bytes))
      return std::move(*picture);
  TDecodedBitmap decoded = DecodeFile(bytes, fileName, format);
  TPythonPicture picture =
      TPythonPicture::FromBitmap(std::move(decoded.bitmap), std::move(decoded.format));
  picture.SetNotes(std::move(decoded.notes));
  return picture;
}
