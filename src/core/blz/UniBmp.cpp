#include "blz/UniBmp.h"

#include "blz/BlockPool.h"
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

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
constexpr size_t kExtendedInfoHeaderSize = 44;
constexpr size_t kPackedHeaderSize = kFileHeaderSize + kExtendedInfoHeaderSize; // 58
constexpr size_t kCompressionField = 16; // within the info header

bool IsMagic(uint32_t value) {
  return value == kLzrwMagic || value == kLzrwMagicReversed;
}

// Bytes of `head` at `offset`, with bytes beyond its end read as 0.
uint32_t U32At(std::span<const uint8_t> head, size_t offset) {
  uint8_t bytes[4] = {};
  for (size_t i = 0; i < 4 && offset + i < head.size(); ++i)
    bytes[i] = head[offset + i];
  return LoadU32LE(bytes);
}

// Reserves room for the image a header promises, bounded so a lying header costs nothing.
void ReserveFor(TMemoryStream& image, int64_t promised) {
  image.Reserve(std::clamp<int64_t>(promised, 0, int64_t{64} << 20) + lzrw1kh::kWorkBufferSize);
}

// The BLZ stream layout: the magic and the stored size are not checked, so a wrong size
// still loads.
TBlzContents RestoreBLZStream(std::span<const uint8_t> bytes, TMemoryStream& image) {
  if (bytes.size() < 8) throw EInvalidGraphic("BLZ image is not valid: the file is truncated");
  TBlzContents contents{TBmpLayout::BLZStream, LoadU32LE(bytes.data() + 4), 0, true};
  ReserveFor(image, contents.storedSize);
  contents.records = blocks::ReadRecords(bytes.subspan(8), image);
  return contents;
}

// The packed-bitmap layout: without the magic or with a stored size of 0 or less nothing is
// restored and no error raised.
TBlzContents RestorePackedBitmap(std::span<const uint8_t> bytes, TMemoryStream& image) {
  uint8_t header[kPackedHeaderSize] = {};
  std::memcpy(header, bytes.data(), std::min(bytes.size(), kPackedHeaderSize));
  uint8_t* info = header + kFileHeaderSize;
  int32_t storedSize = static_cast<int32_t>(LoadU32LE(header + 6));
  TBlzContents contents{TBmpLayout::PackedBitmap, storedSize, 0, false};
  if (!IsMagic(LoadU32LE(info + kCompressionField)) || storedSize <= 0) return contents;
  if (bytes.size() < kPackedHeaderSize)
    throw EInvalidGraphic("BLZ image is not valid: the file is truncated");

  ReserveFor(image, storedSize);
  StoreU32LE(header + 6, 0);
  std::memcpy(info + kCompressionField, info + kInfoHeaderSize, 4);
  image.WriteBuffer(header, kFileHeaderSize + kInfoHeaderSize);
  contents.records = blocks::ReadRecords(bytes.subspan(kPackedHeaderSize), image);
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
  constexpr size_t kPiece = lzrw1kh::kMaxBlockInput;
  if (storedSize <= 0) return false;
  std::vector<uint8_t> head(prefix.begin(), prefix.end());
  std::optional<TPlainBmpRows> rows;
  try {
    const size_t length = blocks::CheckFrame(records.data(), records.size());
    head.resize(prefix.size() + lzrw1kh::kWorkBufferSize);
    const size_t first =
        DecompressBlock(records.data() + 2, head.data() + prefix.size(), length, kPiece);
    head.resize(prefix.size() + first);
    if (first != kPiece) return false;
    rows = PlainBmpRows(head, static_cast<uint64_t>(storedSize));
  } catch (const EInvalidGraphic&) {
    return false;
  }
  const uint64_t rowsStart = rows ? rows->pixelOffset : 0;
  const uint64_t rowsEnd = rowsStart + static_cast<uint64_t>(rows ? rows->stride : 0) *
                                           static_cast<uint64_t>(rows ? rows->height : 0);
  if (!rows || rowsEnd != static_cast<uint64_t>(storedSize)) return false;

  TBitmap bitmap;
  bitmap.Allocate(rows->width, rows->height, rows->format);
  if (rows->bitsPerPixel <= 8) bitmap.SetPalette(rows->palette);
  uint8_t* const bits = bitmap.Bits().data();
  size_t at = 0;
  uint64_t restored = prefix.size();
  bool whole = true;
  try {
    blocks::RunInOrder(
        blocks::ThreadsFor(storedSize / kPiece + 1),
        [&](blocks::TPiece& piece) {
          // Records beyond the stored size: not a writer's image.
          if (prefix.size() + piece.index * kPiece > rowsEnd) return false;
          const size_t length = blocks::CheckFrame(records.data() + at, records.size() - at);
          piece.in = records.data() + at + 2;
          piece.inSize = length;
          at += 2 + length;
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
        [&](blocks::TPiece& piece) {
          restored += piece.outSize;
          return piece.outSize == kPiece;
        });
  } catch (const EInvalidGraphic&) {
    whole = false;
  }
  if (!whole || restored != static_cast<uint64_t>(storedSize)) return false;
  bitmap.ClearRowPadding();
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

TBmpLayout RecognizeLayout(std::span<const uint8_t> head) {
  if (IsMagic(U32At(head, 0))) return TBmpLayout::BLZStream;
  if (IsMagic(U32At(head, kFileHeaderSize + kCompressionField))) return TBmpLayout::PackedBitmap;
  return TBmpLayout::Plain;
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
  if (bytes.size() >= 8 &&
      LoadRowsInPlace(bytes.subspan(8), {}, LoadU32LE(bytes.data() + 4), *this))
    return Modified();
  RestoreBLZStream(bytes, image);
  LoadFromBmpImage(image);
}

void TUniBitmap::LoadFromPackedBmpStream(TStream& stream) {
  TMemoryStream holder, image;
  const std::span<const uint8_t> bytes = WholeStream(stream, holder);
  if (bytes.size() > kPackedHeaderSize && IsMagic(LoadU32LE(bytes.data() + 30))) {
    // The headers as the reader rebuilds them: the stored size back to 0, the compression
    // field back in its place.
    uint8_t headers[kFileHeaderSize + kInfoHeaderSize];
    std::memcpy(headers, bytes.data(), sizeof headers);
    StoreU32LE(headers + 6, 0);
    std::memcpy(headers + kFileHeaderSize + kCompressionField,
                bytes.data() + kFileHeaderSize + kInfoHeaderSize, 4);
    const int32_t storedSize = static_cast<int32_t>(LoadU32LE(bytes.data() + 6));
    if (LoadRowsInPlace(bytes.subspan(kPackedHeaderSize), headers, storedSize, *this))
      return Modified();
  }
  if (!RestorePackedBitmap(bytes, image).restored) return;
  LoadFromBmpImage(image);
}

std::vector<uint8_t> LayoutHeader(TBmpLayout layout, std::span<const uint8_t> bmpHead,
                                  uint32_t imageSize) {
  if (layout == TBmpLayout::BLZStream) {
    std::vector<uint8_t> header(8);
    StoreU32LE(header.data(), kLzrwMagic);
    StoreU32LE(header.data() + 4, imageSize);
    return header;
  }
  std::vector<uint8_t> header(kPackedHeaderSize);
  std::memcpy(header.data(), bmpHead.data(), kFileHeaderSize + kInfoHeaderSize);
  uint8_t* info = header.data() + kFileHeaderSize;
  StoreU32LE(header.data() + 6, imageSize);
  std::memcpy(info + kInfoHeaderSize, info + kCompressionField, 4);
  StoreU32LE(info + kCompressionField, kLzrwMagic);
  return header;
}

// The BMP image is its head and then the bitmap's own rows: the records are packed from the
// rows where they lie.
void TUniBitmap::SaveToBLZStream(TStream& stream) const {
  const std::vector<uint8_t> head = BmpHeadBytes(*this);
  const auto header =
      LayoutHeader(TBmpLayout::BLZStream, head, static_cast<uint32_t>(head.size() + Bits().size()));
  stream.WriteBuffer(header.data(), static_cast<int64_t>(header.size()));
  blocks::WriteRecords(head, Bits(), stream);
}

void TUniBitmap::SaveToPackedBmpStream(TStream& stream) const {
  const std::vector<uint8_t> head = BmpHeadBytes(*this);
  const auto header = LayoutHeader(TBmpLayout::PackedBitmap, head,
                                   static_cast<uint32_t>(head.size() + Bits().size()));
  stream.WriteBuffer(header.data(), static_cast<int64_t>(header.size()));
  // The masks or colour table, then the rows.
  blocks::WriteRecords(std::span(head).subspan(kFileHeaderSize + kInfoHeaderSize), Bits(), stream);
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
