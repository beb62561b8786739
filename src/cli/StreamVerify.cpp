// verify of a BLZ file or a plain BMP file, piece by piece.
#include "cli/Streaming.h"

#include "blz/BlockPool.h"
#include "blz/BlzErrors.h"
#include "cli/RestoredImage.h"
#include "cli/VerifyLine.h"

using namespace streaming;

namespace {

// The round trip of a plain BMP image's writer image through `layout`, piece by piece.
void CheckRoundTrip(TStream& input, TBmpLayout layout) {
  TPlainImage image(input, *PlainRows(input));
  const uint64_t base = blz::PayloadStart(layout);
  const uint64_t total = image.Size() - base;
  blocks::RunInOrder(
      blocks::ThreadsFor(total / kPiece + 1),
      [&](blocks::TPiece& piece) {
        const uint64_t offset = uint64_t{piece.index} * kPiece;
        if (offset > total) return false;
        piece.inSize = static_cast<size_t>(std::min<uint64_t>(total - offset, kPiece));
        image.Fill(piece.inBuffer, base + offset, piece.inSize);
        std::memset(piece.inBuffer + piece.inSize, 0, 2);
        piece.in = piece.inBuffer;
        return true;
      },
      [](blocks::TPiece& piece) {
        thread_local uint8_t restored[lzrw1kh::kWorkBufferSize];
        const uint16_t length = CompressBlock(piece.in, piece.outBuffer, uint16_t(piece.inSize));
        const size_t produced = DecompressBlock(piece.outBuffer, restored, length, kPiece);
        piece.outSize = produced == piece.inSize &&
                        std::memcmp(restored, piece.in, piece.inSize) == 0; // 1: the same
      },
      [&](blocks::TPiece& piece) {
        if (!piece.outSize)
          ThrowBlzError(layout == TBmpLayout::PackedBitmap ? TBlzError::PackedRoundTrip
                                                           : TBlzError::StreamRoundTrip);
        return true;
      });
}

} // namespace

std::optional<std::string> StreamVerify(TStream& input, const std::string& name, bool plainToo) {
  const std::optional<TBlzInput> blz = OpenBlz(input);
  if (!blz) return std::nullopt;
  if (blz->layout == TBmpLayout::Plain) {
    if (!plainToo || !PlainRows(input)) return std::nullopt;
    for (TBmpLayout layout : {TBmpLayout::PackedBitmap, TBmpLayout::BLZStream})
      CheckRoundTrip(input, layout);
    return RoundTripLine(name);
  }
  TRestoredImage image(blz->storedSize, nullptr);
  const std::optional<size_t> records = ExpandRecords(input, *blz, image);
  if (!records) return std::nullopt;
  return VerifiedLine(name, blz->layout, *records);
}
