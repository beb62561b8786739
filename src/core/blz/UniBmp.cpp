#include "blz/UniBmp.h"

#include "blz/BlockPool.h"
#include "blz/BlzErrors.h"
#include "blz/InPlaceRows.h"
#include "blz/RecordReader.h"
#include "codec/LZRW1KH.h"
#include "io/ByteReader.h"
#include "io/Limits.h"
#include "io/SafeFile.h"
#include "io/Streams.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

TUniBitmap* DefaultUniBitmap = nullptr;

namespace {

constexpr size_t kPiece = lzrw1kh::kMaxBlockInput;

// Reserves room for the image a header promises, bounded so a lying header costs nothing.
void ReserveFor(TMemoryStream& image, int64_t promised) {
  image.Reserve(std::clamp<int64_t>(promised, 0, int64_t{64} << 20) + lzrw1kh::kWorkBufferSize);
}

// The BLZ stream layout: the magic and the stored size are not checked, so a wrong size
// still loads.
TBlzContents RestoreBLZStream(std::span<const uint8_t> bytes, TMemoryStream& image) {
  TBlzContents contents{TBmpLayout::BLZStream, blz::ReadStreamHeader(bytes), 0, true};
  ReserveFor(image, contents.storedSize);
  contents.records = blocks::ReadRecords(bytes.subspan(blz::kStreamHeaderSize), image);
  return contents;
}

// The packed-bitmap layout: without the magic or with a stored size of 0 or less nothing is
// restored and no error raised.
TBlzContents RestorePackedBitmap(std::span<const uint8_t> bytes, TMemoryStream& image) {
  const blz::TPackedHeader header = blz::ReadPackedHeader(bytes);
  TBlzContents contents{TBmpLayout::PackedBitmap, header.storedSize, 0, false};
  if (!header.hasMagic || header.storedSize <= 0) return contents;
  if (bytes.size() < blz::kPackedHeaderSize) ThrowBlzError(TBlzError::Truncated);

  ReserveFor(image, header.storedSize);
  image.WriteBuffer(header.bmpHeaders.data(), static_cast<int64_t>(header.bmpHeaders.size()));
  contents.records = blocks::ReadRecords(bytes.subspan(blz::kPackedHeaderSize), image);
  contents.restored = true;
  return contents;
}

// Expands the records of an image of several pieces straight into the rows of a new bitmap
// (on every core for a large one) when the restored image is one whose rows the BMP reader
// keeps as they are and which ends with them, as the writer's images do: no restored image, no
// moving of its rows. `prefix` is what comes before the records' payload (the packed bitmap's
// rebuilt headers). Returns false, with `target` unchanged, for anything else or any doubt (damage
// included): the whole-image path then reads the file and raises its errors.
bool LoadRowsInPlace(std::span<const uint8_t> records, std::span<const uint8_t> prefix,
                     int64_t storedSize, TBitmap& target) {
  const std::optional<TPlainBmpRows> rows = blz::RowsToLoadInPlace(records, prefix, storedSize);
  if (!rows) return false;
  const uint64_t rowsStart = rows->pixelOffset;
  const uint64_t rowsEnd = static_cast<uint64_t>(storedSize);

  TBitmap bitmap;
  bitmap.Allocate(rows->width, rows->height, rows->format);
  if (rows->bitsPerPixel <= 8) bitmap.SetPalette(rows->palette);
  uint8_t* const bits = bitmap.Bits().data();
  uint64_t restored = prefix.size();
  blz::TRecordReader reader(records);
  const blz::TExpansion expansion = blz::ExpandRecords(
      reader, blocks::ThreadsFor(storedSize / kPiece + 1), prefix.size(),
      [&](blocks::TPiece& piece) {
        restored += piece.outSize;
        return true;
      },
      [&](blocks::TPiece& piece) {
        const uint64_t from = prefix.size() + piece.index * kPiece;
        if (from >= rowsStart && from + kPiece <= rowsEnd) {
          piece.outSize =
              DecompressBlock(piece.in, bits + (from - rowsStart), piece.inSize, kPiece);
          return;
        }
        piece.outSize = DecompressBlock(piece.in, piece.outBuffer, piece.inSize, kPiece);
        const uint64_t a = std::max(from, rowsStart);
        const uint64_t b = std::min<uint64_t>(from + piece.outSize, rowsEnd);
        if (a < b) std::memcpy(bits + (a - rowsStart), piece.outBuffer + (a - from), b - a);
      },
      // Records beyond the stored size: not a writer's image.
      [&](size_t index) { return prefix.size() + index * kPiece <= rowsEnd; });
  if (expansion.damaged || restored != static_cast<uint64_t>(storedSize)) return false;
  bitmap.ClearRowPadding();
  if (rows->alpha) bitmap.SetHasAlpha(bitmap.AnyAlphaByteSet());
  target = std::move(bitmap);
  return true;
}

} // namespace

TBlzContents RestoreBmpImage(std::span<const uint8_t> file, TMemoryStream& image) {
  switch (RecognizeLayout(file)) {
  case TBmpLayout::BLZStream:
    return RestoreBLZStream(file, image);
  case TBmpLayout::PackedBitmap:
    return RestorePackedBitmap(file, image);
  case TBmpLayout::Plain:
    break;
  }
  image.WriteBuffer(file.data(), static_cast<int64_t>(file.size()));
  return {TBmpLayout::Plain, 0, 0, true};
}

void TUniBitmap::LoadFromStream(TStream& stream) {
  TMemoryStream holder;
  std::span<const uint8_t> bytes = WholeStream(stream, holder);
  TReadOnlyMemoryStream whole(bytes);
  switch (RecognizeLayout(bytes)) {
  case TBmpLayout::BLZStream:
    LoadFromBLZStream(whole);
    break;
  case TBmpLayout::PackedBitmap:
    LoadFromPackedBmpStream(whole);
    break;
  case TBmpLayout::Plain:
    LoadPlainBmp(whole);
    break;
  }
}

void TUniBitmap::LoadFromBLZStream(TStream& stream) {
  TMemoryStream holder, image;
  const std::span<const uint8_t> bytes = WholeStream(stream, holder);
  if (bytes.size() >= blz::kStreamHeaderSize &&
      LoadRowsInPlace(bytes.subspan(blz::kStreamHeaderSize), {}, blz::ReadStreamHeader(bytes),
                      *this))
    return Modified();
  RestoreBLZStream(bytes, image);
  LoadFromBmpImage(image);
}

void TUniBitmap::LoadFromPackedBmpStream(TStream& stream) {
  TMemoryStream holder, image;
  const std::span<const uint8_t> bytes = WholeStream(stream, holder);
  const blz::TPackedHeader header = blz::ReadPackedHeader(bytes);
  if (bytes.size() > blz::kPackedHeaderSize && header.hasMagic &&
      LoadRowsInPlace(bytes.subspan(blz::kPackedHeaderSize), header.bmpHeaders, header.storedSize,
                      *this))
    return Modified();
  if (!RestorePackedBitmap(bytes, image).restored) return;
  LoadFromBmpImage(image);
}

// The BMP image is its head and then the bitmap's own rows: the records are packed from the
// rows where they lie.
void TUniBitmap::SaveToBLZStream(TStream& stream) const {
  const std::vector<uint8_t> head = BmpHeadBytes(*this);
  const auto header = blz::LayoutHeader(TBmpLayout::BLZStream, head,
                                        static_cast<uint32_t>(head.size() + Bits().size()));
  stream.WriteBuffer(header.data(), static_cast<int64_t>(header.size()));
  blocks::WriteRecords(head, Bits(), stream);
}

void TUniBitmap::SaveToPackedBmpStream(TStream& stream) const {
  const std::vector<uint8_t> head = BmpHeadBytes(*this);
  const auto header = blz::LayoutHeader(TBmpLayout::PackedBitmap, head,
                                        static_cast<uint32_t>(head.size() + Bits().size()));
  stream.WriteBuffer(header.data(), static_cast<int64_t>(header.size()));
  // The masks or colour table, then the rows.
  blocks::WriteRecords(std::span(head).subspan(blz::PayloadStart(TBmpLayout::PackedBitmap)), Bits(),
                       stream);
}

void TUniBitmap::LoadFromBLZFile(const std::string& fileName) {
  LoadFromFile(fileName);
}
void TUniBitmap::LoadFromPackedBmpFile(const std::string& fileName) {
  LoadFromFile(fileName);
}

void TUniBitmap::SaveToBLZFile(const std::string& fileName) const {
  SaveFileSafely(fileName, [this](TStream& out) { SaveToBLZStream(out); });
}

void TUniBitmap::SaveToPackedBmpFile(const std::string& fileName) const {
  SaveFileSafely(fileName, [this](TStream& out) { SaveToPackedBmpStream(out); });
}

// The resource readers hand the restored image to the object's own LoadFromStream, so a
// derived class's reader gets it.
void TUniBitmap::LoadPackedBmpResName(const HINSTANCE& instance, const std::string& resName) {
  TResourceStream resource(instance, resName, TResourceType::RT_RCDATA);
  TMemoryStream image;
  if (!RestorePackedBitmap(resource.Bytes(), image).restored) return;
  image.SetPosition(0);
  LoadFromStream(image);
}

void TUniBitmap::LoadPackedBmpResID(const HINSTANCE& instance, int32_t resId) {
  LoadPackedBmpResName(instance, ResourceIdName(resId));
}

void TUniBitmap::LoadBLZResName(const HINSTANCE& instance, const std::string& resName) {
  TResourceStream resource(instance, resName, TResourceType::RT_RCDATA);
  TMemoryStream image;
  RestoreBLZStream(resource.Bytes(), image);
  image.SetPosition(0);
  LoadFromStream(image);
}

void TUniBitmap::LoadBLZResID(const HINSTANCE& instance, int32_t resId) {
  LoadBLZResName(instance, ResourceIdName(resId));
}

void TUniBitmap::LoadFromResName(const HINSTANCE& instance, const std::string& resName) {
  TResourceStream resource(instance, resName, TResourceType::RT_RCDATA);
  LoadFromStream(resource);
}

void TUniBitmap::LoadFromResID(const HINSTANCE& instance, int32_t resId) {
  LoadFromResName(instance, ResourceIdName(resId));
}

TBitmap& TUniBitmap::BitmapFromFile(const std::string& fileName) {
  LoadFromFile(fileName);
  return AsBitmap();
}
TBitmap& TUniBitmap::BitmapFromStream(TStream& stream) {
  LoadFromStream(stream);
  return AsBitmap();
}
TBitmap& TUniBitmap::BitmapFromPackedBmpResName(const HINSTANCE& instance,
                                                const std::string& resName) {
  LoadPackedBmpResName(instance, resName);
  return AsBitmap();
}
TBitmap& TUniBitmap::BitmapFromPackedBmpResID(const HINSTANCE& instance, int32_t resId) {
  LoadPackedBmpResID(instance, resId);
  return AsBitmap();
}
TBitmap& TUniBitmap::BitmapFromBLZResName(const HINSTANCE& instance, const std::string& resName) {
  LoadBLZResName(instance, resName);
  return AsBitmap();
}
TBitmap& TUniBitmap::BitmapFromBLZResID(const HINSTANCE& instance, int32_t resId) {
  LoadBLZResID(instance, resId);
  return AsBitmap();
}
TBitmap& TUniBitmap::BitmapFromResName(const HINSTANCE& instance, const std::string& resName) {
  LoadFromResName(instance, resName);
  return AsBitmap();
}
TBitmap& TUniBitmap::BitmapFromResID(const HINSTANCE& instance, int32_t resId) {
  LoadFromResID(instance, resId);
  return AsBitmap();
}

void UniBmpStartup() {
  DefaultUniBitmap = new TUniBitmap();
}

void UniBmpShutdown() {
  delete DefaultUniBitmap;
  DefaultUniBitmap = nullptr;
}
