// unpack of a BLZ or plain BMP file, piece by piece.
#include "cli/Streaming.h"

#include "cli/OutputTarget.h"
#include "cli/RestoredImage.h"
#include "cli/StreamToStandardOutput.h"

using namespace streaming;

namespace {

// The unpack of an opened input; `rows` are a plain image's.
TPath Unpack(TStream& input, const TBlzInput& blz, std::optional<TPlainBmpRows>& rows,
             TStream& out) {
  if (blz.layout != TBmpLayout::Plain) {
    TRestoredImage image(blz.storedSize, &out);
    return ExpandRecords(input, blz, image) ? TPath::Streamed : TPath::Whole;
  }
  TPlainImage image(input, std::move(*rows));
  std::vector<uint8_t> buffer(kPiece);
  for (uint64_t at = 0; at < image.Size(); at += kPiece) {
    const size_t count = static_cast<size_t>(std::min<uint64_t>(kPiece, image.Size() - at));
    image.Fill(buffer.data(), at, count);
    out.WriteBuffer(buffer.data(), static_cast<int64_t>(count));
  }
  return TPath::Streamed;
}

} // namespace

TPath StreamUnpack(TStream& input, TStream& out) {
  const std::optional<TBlzInput> blz = OpenBlz(input);
  if (!blz) return TPath::Whole;
  std::optional<TPlainBmpRows> rows;
  if (blz->layout == TBmpLayout::Plain && !(rows = PlainRows(input))) return TPath::Whole;
  return Unpack(input, *blz, rows, out);
}

TPath StreamUnpack(TStream& input, const std::string& output) {
  if (IsStandardOutput(output)) return UnpackToStandardOutput(input);
  // The output is written as the input is read; only a writer that throws makes the safe
  // save keep the old file, so a path found half-way leaves by this one exception.
  struct TAbandon {};
  try {
    WriteOutput(output, [&](TStream& out) {
      if (StreamUnpack(input, out) == TPath::Whole) throw TAbandon{};
    });
  } catch (const TAbandon&) {
    return TPath::Whole;
  }
  return TPath::Streamed;
}
