#include "cli/Commands.h"

#include "blz/BlzErrors.h"
#include "blz/UniBmp.h"
#include "cli/Input.h"
#include "cli/InputSource.h"
#include "cli/NetpbmWriter.h"
#include "cli/OutputTarget.h"
#include "cli/PngWriter.h"
#include "cli/Streaming.h"
#include "cli/UsageError.h"
#include "cli/VerifyLine.h"
#include "formats/WindowRule.h"
#include "io/Streams.h"

#include <algorithm>
#include <cstdlib>

namespace {

void WriteBlz(const TUniBitmap& bitmap, TBmpLayout layout, TStream& out) {
  if (layout == TBmpLayout::BLZStream)
    bitmap.SaveToBLZStream(out);
  else
    bitmap.SaveToPackedBmpStream(out);
}

} // namespace

TOutputFormat ConvertFormat(const TOptions& options, const std::string& output) {
  if (options.to) return *options.to;
  if (const std::optional<TOutputFormat> format = OutputFormatOf(output)) return *format;
  throw TUsageError{IsStandardOutput(output)
                        ? "convert to standard output needs --to FMT"
                        : "cannot tell the format from the name " + output +
                              ": name it with --to (" + OutputFormatList() + ")"};
}

void CheckOutputName(const std::string& command, const std::string& output) {
  const std::optional<TOutputFormat> named = OutputFormatOf(output);
  const bool fits =
      named ? *named == TOutputFormat::Bmp || (command == "pack" && *named == TOutputFormat::Blz)
            : !NamesPictureFormat(output);
  if (!fits)
    throw TUsageError{command + " writes " + (command == "pack" ? "BLZ" : "BMP") +
                      ", not what the name " + output + " says: use convert"};
}

void Pack(const TOptions& options, const std::string& input, const std::string& output) {
  TInputSource source(input, options.format);
  if (source.Direct() && StreamPack(source.Stream(), options.layout, output) == TPath::Streamed)
    return;
  TUniBitmap bitmap;
  source.Read(bitmap);
  WriteOutput(output, [&](TStream& out) { WriteBlz(bitmap, options.layout, out); });
}

void Unpack(const TOptions& options, const std::string& input, const std::string& output) {
  TInputSource source(input, options.format);
  if (source.Direct() && StreamUnpack(source.Stream(), output) == TPath::Streamed) return;
  TUniBitmap bitmap;
  source.Read(bitmap);
  WriteOutput(output, [&](TStream& out) { bitmap.SaveToStream(out); });
}

void Convert(const TOptions& options, TOutputFormat format, const std::string& input,
             const std::string& output) {
  if (format == TOutputFormat::Blz) return Pack(options, input, output);
  if (format == TOutputFormat::Bmp) return Unpack(options, input, output);
  TUniBitmap bitmap;
  TInputSource(input, options.format).Read(bitmap);
  WriteOutput(output, [&](TStream& out) {
    switch (format) {
    case TOutputFormat::Png:
      return WritePng(bitmap, out);
    case TOutputFormat::Pam:
      return WritePam(bitmap, out);
    case TOutputFormat::Ppm:
      return WritePpm(bitmap, out);
    default:
      return WritePgm(bitmap, out);
    }
  });
}

TInfoFigures Info(const std::string& file) {
  TInputSource source(file, "");
  if (std::optional<TInfoFigures> figures = HeaderInfo(source.Stream())) return *figures;
  TMemoryStream holder;
  const std::span<const uint8_t> bytes = WholeStream(source.Stream(), holder);
  TInfoFigures figures;
  figures.layout = RecognizeLayout(bytes);
  figures.onDisk = int64_t(bytes.size());
  const bool bmp = bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
  const auto measure = [&figures](const TBitmap& bitmap) {
    figures.width = bitmap.Width(), figures.height = bitmap.Height();
    figures.bitsPerPixel = bitmap.BitsPerPixel();
  };
  if (figures.layout == TBmpLayout::Plain && !bmp) {
    TUniBitmap bitmap;
    source.Read(bitmap);
    measure(bitmap);
    figures.picture = true;
    return figures;
  }
  TMemoryStream image;
  TBlzContents contents = RestoreBmpImage(bytes, image);
  if (!contents.restored) ThrowBlzError(TBlzError::NoStoredSize);
  image.SetPosition(0);
  TBitmap bitmap;
  bitmap.LoadFromStream(image);
  measure(bitmap);
  figures.imageSize = image.Size();
  figures.storedSize = contents.storedSize;
  figures.records = contents.records;
  return figures;
}

std::string Verify(const std::string& file) {
  TInputSource source(file, "");
  if (std::optional<std::string> line = StreamVerify(source.Stream(), file, source.Direct()))
    return *line;
  TMemoryStream holder;
  const std::span<const uint8_t> bytes = WholeStream(source.Stream(), holder);
  TBmpLayout layout = RecognizeLayout(bytes);
  if (layout != TBmpLayout::Plain) {
    TMemoryStream image;
    TBlzContents contents = RestoreBmpImage(bytes, image);
    if (!contents.restored) ThrowBlzError(TBlzError::NoStoredSize);
    if (contents.storedSize != image.Size())
      ThrowBlzError(TBlzError::StoredSizeDiffers, contents.storedSize, image.Size());
    image.SetPosition(0);
    TBitmap bitmap;
    bitmap.LoadFromStream(image);
    return VerifiedLine(file, layout, contents.records);
  }
  // Any other picture: both layouts must give back the very BMP image that went in.
  TUniBitmap bitmap;
  source.Read(bitmap);
  TMemoryStream plain;
  bitmap.SaveToStream(plain);
  for (bool packed : {true, false}) {
    TMemoryStream blz, restored;
    WriteBlz(bitmap, packed ? TBmpLayout::PackedBitmap : TBmpLayout::BLZStream, blz);
    RestoreBmpImage(blz.Bytes(), restored);
    if (restored.Size() != plain.Size() ||
        !std::equal(plain.Bytes().begin(), plain.Bytes().end(), restored.Bytes().begin()))
      ThrowBlzError(packed ? TBlzError::PackedRoundTrip : TBlzError::StreamRoundTrip);
  }
  return RoundTripLine(file);
}

void Thumbnail(const std::string& input, const std::string& output, const std::string& size) {
  char* end = nullptr;
  const long pixels = std::strtol(size.c_str(), &end, 10);
  if (*end || pixels < 1 || pixels > 4096)
    throw TUsageError{"SIZE must be a number from 1 to 4096"};
  TUniBitmap bitmap;
  TInputSource(input, "").Read(bitmap);
  const std::vector<uint8_t> png = ThumbnailPng(bitmap, static_cast<int>(pixels));
  WriteOutput(output, [&](TStream& out) { out.WriteBuffer(png.data(), int64_t(png.size())); });
}
