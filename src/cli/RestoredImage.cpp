#include "cli/RestoredImage.h"

#include "blz/RecordReader.h"

namespace streaming {

std::optional<TBlzInput> OpenBlz(TStream& input) {
  uint8_t header[blz::kPackedHeaderSize] = {};
  input.SetPosition(0);
  const size_t got = static_cast<size_t>(input.Read(header, sizeof header));
  TBlzInput blz;
  blz.layout = RecognizeLayout({header, got});
  if (blz.layout == TBmpLayout::BLZStream) {
    if (got < blz::kStreamHeaderSize) return std::nullopt;
    blz.storedSize = blz::ReadStreamHeader({header, got});
    input.SetPosition(blz::kStreamHeaderSize);
  } else if (blz.layout == TBmpLayout::PackedBitmap) {
    const blz::TPackedHeader packed = blz::ReadPackedHeader({header, got});
    if (got < blz::kPackedHeaderSize || packed.storedSize <= 0) return std::nullopt;
    blz.storedSize = static_cast<uint64_t>(packed.storedSize);
    blz.restoredHead.assign(packed.bmpHeaders.begin(), packed.bmpHeaders.end());
  }
  return blz;
}

std::optional<size_t> ExpandRecords(TStream& input, const TBlzInput& blz, TRestoredImage& image) {
  if (!image.Take(const_cast<uint8_t*>(blz.restoredHead.data()), blz.restoredHead.size()))
    return std::nullopt;
  blz::TRecordReader reader(input);
  const blz::TExpansion expansion = blz::ExpandRecords(
      reader, blocks::ThreadsFor(blz.storedSize / kPiece + 1), blz.restoredHead.size(),
      [&](blocks::TPiece& piece) { return image.Take(piece.outBuffer, piece.outSize); });
  if (expansion.damaged || expansion.stopped || !image.Whole()) return std::nullopt;
  return expansion.records;
}

} // namespace streaming
