#include "python/Decoding.h"

#include "blz/BlzContainer.h"
#include "formats/FormatTable.h"
#include "formats/WindowRule.h"
#include "io/Streams.h"
#include "python/BlzRows.h"
#include "python/Errors.h"
#include "python/Files.h"
#include "python/ModuleInput.h"

#include <algorithm>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// The rows the core decodes, in the loader's probe order.
const std::vector<const TInputFormat*>& CoreRowsInProbeOrder() {
  static const std::vector<const TInputFormat*> rows = [] {
    std::vector<const TInputFormat*> core;
    for (const TInputFormat& format : InputFormats())
      if (format.layer == TDecodeLayer::Core) core.push_back(&format);
    std::stable_sort(core.begin(), core.end(), [](const TInputFormat* a, const TInputFormat* b) {
      return a->probeAttempt < b->probeAttempt;
    });
    return core;
  }();
  return rows;
}

bool IsBitmapRow(const TInputFormat& format) {
  return format.id == TFormatId::Bmp || format.id == TFormatId::Blz;
}

// The bitmap reads BMP and both BLZ layouts whichever of the two rows claimed the file; the
// name given is the one its content has.
std::string NameOfWhatWasRead(const TInputFormat& format, std::span<const uint8_t> bytes) {
  if (!IsBitmapRow(format)) return std::string(format.name);
  return RecognizeLayout(bytes) == TBmpLayout::Plain ? "bmp" : "blz";
}

TDecodedBitmap DecodeWithCore(const TInputFormat& format, std::span<const uint8_t> bytes) {
  TReadOnlyMemoryStream stream(bytes);
  return {DecodeToConvert(format, stream), NameOfWhatWasRead(format, bytes), {}};
}

// The name of the input module's row that these bytes are, by that row's signatures in the
// format table; empty for what only the loader's later readers know.
std::string ModuleFormatName(std::span<const uint8_t> bytes) {
  for (const TInputFormat& format : InputFormats())
    if (format.layer == TDecodeLayer::Qt && SignatureStarting(format, bytes))
      return std::string(format.name);
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

} // namespace

TDecodedBitmap DecodeFile(std::span<const uint8_t> bytes, const std::string& fileName,
                          const std::string& format) {
  if (!format.empty()) {
    const TInputFormat* row = FindInputFormat(format);
    if (!row) throw ENotThisFormat("unknown format " + format + ": " + InputFormatList());
    if (row->layer == TDecodeLayer::Core) return DecodeWithCore(*row, bytes);
    return DecodeWithModule(bytes, fileName, std::string(row->name));
  }
  // A strong claim decides; a weak one that fails lets the input module try.
  std::exception_ptr weakFailure;
  for (const TInputFormat* row : CoreRowsInProbeOrder()) {
    const TSignature* claim = SignatureStarting(*row, bytes);
    if (!claim) continue;
    if (claim->strong) return DecodeWithCore(*row, bytes);
    try {
      return DecodeWithCore(*row, bytes);
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
  // A BLZ file goes straight into the picture's layout when it can. The direct read tells a BLZ
  // file by its content; a format named for the file must be the bitmap's for it to be asked.
  const TInputFormat* named = format.empty() ? nullptr : FindInputFormat(format);
  if (format.empty() || (named && IsBitmapRow(*named)))
    if (std::optional<TPythonPicture> picture = PictureFromBlzRows(bytes))
      return std::move(*picture);
  TDecodedBitmap decoded = DecodeFile(bytes, fileName, format);
  TPythonPicture picture =
      TPythonPicture::FromBitmap(std::move(decoded.bitmap), std::move(decoded.format));
  picture.SetNotes(std::move(decoded.notes));
  return picture;
}
