#include "python/BlzRows.h"

#include "blz/BlzContainer.h"
#include "blz/InPlaceRows.h"
#include "blz/RecordReader.h"
#include "codec/LZRW1KH.h"
#include "io/Limits.h"
#include "python/ChannelOrder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kPiece = lzrw1kh::kMaxBlockInput;

// The records of a BLZ file, what the restored image holds before their payload, and the size
// the header promises.
struct TBlzParts {
  std::span<const uint8_t> records;
  std::span<const uint8_t> prefix;
  int64_t storedSize = 0;
};

std::optional<TBlzParts> PartsOf(std::span<const uint8_t> file, blz::TPackedHeader& header) {
  switch (RecognizeLayout(file)) {
  case TBmpLayout::BLZStream:
    if (file.size() < blz::kStreamHeaderSize) return std::nullopt;
    return TBlzParts{file.subspan(blz::kStreamHeaderSize), {}, blz::ReadStreamHeader(file)};
  case TBmpLayout::PackedBitmap:
    header = blz::ReadPackedHeader(file);
    if (file.size() <= blz::kPackedHeaderSize || !header.hasMagic) return std::nullopt;
    return TBlzParts{file.subspan(blz::kPackedHeaderSize), header.bmpHeaders, header.storedSize};
  case TBmpLayout::Plain:
    break;
  }
  return std::nullopt;
}

// Where the image's rows (bottom-up, B,G,R pixels or palette indices, padded) go in the
// picture (top-down, R,G,B or one byte each, unpadded).
class TRowsTarget {
public:
  TRowsTarget(const TPlainBmpRows& rows, TPythonPicture& picture)
      : start_(rows.pixelOffset), end_(rows.pixelOffset + uint64_t(rows.stride * rows.height)),
        stride_(uint64_t(rows.stride)), height_(uint64_t(rows.height)),
        colour_(rows.format == TPixelFormat::pf24bit), rowBytes_(picture.RowBytes()),
        pixels_(picture.Pixels()) {
    // Grey pictures hold the grey level of each index, palette pictures the index itself.
    grey_ = picture.Mode() == TPictureMode::L;
    for (size_t i = 0; i < levels_.size(); ++i)
      levels_[i] = i < rows.palette.size() ? rows.palette[i].rgbRed : 0;
  }

  // Places the `count` bytes of the image that start `offset` bytes into it; bytes outside
  // the rows, and the rows' padding, go nowhere.
  void Place(const uint8_t* bytes, uint64_t offset, size_t count) const {
    const uint64_t from = std::max(offset, start_), to = std::min(offset + count, end_);
    if (from >= to) return;
    bytes += from - offset;
    for (uint64_t at = from - start_, end = to - start_; at < end;) {
      const uint64_t row = at / stride_, column = at % stride_;
      const uint64_t length = std::min(stride_ - column, end - at);
      if (column < rowBytes_)
        PlaceInRow(bytes, size_t(column), size_t(std::min(column + length, uint64_t(rowBytes_))),
                   pixels_ + (height_ - 1 - row) * rowBytes_);
      bytes += length;
      at += length;
    }
  }

private:
  // Bytes `from` .. `to` - 1 of a row, which may start or end inside a pixel.
  void PlaceInRow(const uint8_t* in, size_t from, size_t to, uint8_t* out) const {
    if (!colour_) {
      if (!grey_) {
        std::memcpy(out + from, in, to - from);
      } else {
        for (size_t x = from; x < to; ++x)
          out[x] = levels_[*in++];
      }
      return;
    }
    SwapRedAndBlue(in, from, to, out);
  }

  uint64_t start_, end_, stride_, height_;
  bool colour_, grey_ = false;
  size_t rowBytes_;
  uint8_t* pixels_;
  std::array<uint8_t, 256> levels_{};
};

} // namespace

std::optional<TPythonPicture> PictureFromBlzRows(std::span<const uint8_t> file) {
  blz::TPackedHeader header;
  const std::optional<TBlzParts> parts = PartsOf(file, header);
  if (!parts) return std::nullopt;
  const std::optional<TPlainBmpRows> rows =
      blz::RowsToLoadInPlace(parts->records, parts->prefix, parts->storedSize);
  // An empty picture is the bitmap reader's to refuse.
  if (!rows || (rows->format != TPixelFormat::pf24bit && rows->format != TPixelFormat::pf8bit) ||
      rows->width <= 0 || rows->height <= 0)
    return std::nullopt;
  limits::CheckBitmapLimits(rows->width, rows->height, rows->bitsPerPixel, "Bitmap");

  TBitmap paletteHolder; // the bitmap reader's view of the colour table, for the kind
  TPixelKind kind = TPixelKind::Rgb;
  if (rows->format == TPixelFormat::pf8bit) {
    paletteHolder.Allocate(1, 1, TPixelFormat::pf8bit);
    paletteHolder.SetPalette(rows->palette);
    kind = KindOf(paletteHolder);
  }
  TPythonPicture picture = TPythonPicture::Blank(rows->width, rows->height, rows->bitsPerPixel,
                                                 kind, paletteHolder.Palette(), "blz");
  const TRowsTarget target(*rows, picture);
  const uint64_t prefix = parts->prefix.size();
  const uint64_t rowsEnd = static_cast<uint64_t>(parts->storedSize);
  uint64_t restored = prefix;
  blz::TRecordReader reader(parts->records);
  const blz::TExpansion expansion = blz::ExpandRecords(
      reader, blocks::ThreadsFor(rowsEnd / kPiece + 1), prefix,
      [&](blocks::TPiece& piece) {
        restored += piece.outSize;
        return true;
      },
      [&](blocks::TPiece& piece) {
        piece.outSize = DecompressBlock(piece.in, piece.outBuffer, piece.inSize, kPiece);
        piece.out = piece.outBuffer;
        target.Place(piece.outBuffer, prefix + piece.index * kPiece, piece.outSize);
      },
      // Records beyond the stored size: not a writer's image.
      [&](size_t index) { return prefix + index * kPiece <= rowsEnd; });
  if (expansion.damaged || restored != rowsEnd) return std::nullopt;
  return picture;
}
