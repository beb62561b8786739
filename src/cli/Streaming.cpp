#include "cli/Streaming.h"

#include "blz/BlockPool.h"
#include "bmp/Bitmap.h"
#include "formats/WindowRule.h"
#include "io/ByteReader.h"
#include "io/Exceptions.h"
#include "io/Limits.h"
#include "io/SafeFile.h"
#include "io/Streams.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <functional>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t kPiece = lzrw1kh::kMaxBlockInput;
constexpr size_t kFileHeaderSize = 14, kPackedHeaderSize = 58;
// Every BMP header, masks and colour table fit in this; rows that start later are rare
// enough for the whole-picture path.
constexpr size_t kHeadRoom = 64 * 1024;

// Raised where the piecewise path leaves a file to the whole-picture path.
struct TLeaveToWholePath {};

const char* LayoutName(TBmpLayout layout) {
  return layout == TBmpLayout::BLZStream      ? "BLZ stream"
         : layout == TBmpLayout::PackedBitmap ? "packed bitmap"
                                              : "BMP";
}

// The first bytes of a file, at most kHeadRoom.
std::vector<uint8_t> ReadHead(TFileStream& file) {
  std::vector<uint8_t> head(static_cast<size_t>(std::min<int64_t>(file.Size(), kHeadRoom)));
  file.SetPosition(0);
  head.resize(static_cast<size_t>(file.Read(head.data(), static_cast<int64_t>(head.size()))));
  return head;
}

// The BMP image the writer makes of a plain BMP file whose rows the reader keeps, fetched in
// order: its head, then the file's rows with their padding cleared.
class TPlainImage {
public:
  TPlainImage(TFileStream& file, TPlainBmpRows rows) : file_(file), rows_(std::move(rows)) {
    file_.SetPosition(rows_.pixelOffset);
  }
  const std::vector<uint8_t>& Head() const { return rows_.writerHead; }
  uint64_t Size() const {
    return rows_.writerHead.size() + static_cast<uint64_t>(rows_.stride) * rows_.height;
  }
  // Successive calls ask for successive ranges.
  void Fill(uint8_t* to, uint64_t offset, size_t count) {
    const uint64_t headSize = rows_.writerHead.size();
    const size_t fromHead =
        offset < headSize ? static_cast<size_t>(std::min<uint64_t>(count, headSize - offset)) : 0;
    std::memcpy(to, rows_.writerHead.data() + offset, fromHead);
    if (count == fromHead) return;
    file_.ReadBuffer(to + fromHead, static_cast<int64_t>(count - fromHead));
    rows_.ClearPadding(to + fromHead, offset + fromHead - headSize, count - fromHead);
  }

private:
  TFileStream& file_;
  TPlainBmpRows rows_;
};

// A plain BMP file's rows as the writer would write them; nullopt for any other file.
std::optional<TPlainBmpRows> PlainRows(TFileStream& file) {
  const std::vector<uint8_t> head = ReadHead(file);
  if (RecognizeLayout(head) != TBmpLayout::Plain) return std::nullopt;
  return PlainBmpRows(head, static_cast<uint64_t>(file.Size()));
}

// Takes a restored BMP image as its records expand, in order, and hands on the bytes the
// writer would make of it: the writer's head and the rows with their padding cleared. Anything
// the reader would convert, check pixel by pixel or refuse is left to the whole-picture path,
// which gives its exact error.
class TRestoredImage {
public:
  TRestoredImage(uint64_t storedSize, TStream* out) : storedSize_(storedSize), out_(out) {}

  void Take(uint8_t* bytes, size_t count) {
    uint64_t start = received_;
    received_ += count;
    if (!rows_) {
      const size_t taken = std::min(count, kHeadRoom - head_.size());
      head_.insert(head_.end(), bytes, bytes + taken);
      if (head_.size() < kFileHeaderSize || head_.size() < LoadU32LE(head_.data() + 10)) {
        if (head_.size() == kHeadRoom) throw TLeaveToWholePath{};
        return;
      }
      try {
        rows_ = PlainBmpRows(head_, storedSize_);
      } catch (const EInvalidGraphic&) {
        throw TLeaveToWholePath{};
      }
      if (!rows_) throw TLeaveToWholePath{};
      if (out_) out_->WriteBuffer(rows_->writerHead.data(), int64_t(rows_->writerHead.size()));
      // What came before is in head_: hand on its rows from there.
      std::vector<uint8_t> early(head_.begin() + rows_->pixelOffset, head_.end());
      Rows(early.data(), rows_->pixelOffset, early.size());
      start += taken, bytes += taken, count -= taken;
    }
    Rows(bytes, start, count);
  }

  // Throws when the image did not end as the stored size says, or did not reach its rows.
  void Finish() const {
    if (!rows_ || received_ != storedSize_) throw TLeaveToWholePath{};
  }

private:
  // `count` bytes of the image at `offset`; only those inside the rows are written.
  void Rows(uint8_t* bytes, uint64_t offset, size_t count) {
    const uint64_t begin = rows_->pixelOffset;
    const uint64_t end = begin + static_cast<uint64_t>(rows_->stride) * rows_->height;
    const uint64_t a = std::max(offset, begin), b = std::min(offset + count, end);
    if (a >= b || !out_) return;
    uint8_t* from = bytes + (a - offset);
    rows_->ClearPadding(from, a - begin, static_cast<size_t>(b - a));
    out_->WriteBuffer(from, static_cast<int64_t>(b - a));
  }

  uint64_t storedSize_;
  TStream* out_;
  std::vector<uint8_t> head_;
  std::optional<TPlainBmpRows> rows_;
  uint64_t received_ = 0;
};

// Expands the records of the BLZ file `file` in order into `image`; returns the record count.
// A damaged file, a packed bitmap that the readers leave unloaded, or a stored size the
// image does not end at is left to the whole-picture path.
size_t ExpandFile(TFileStream& file, TRestoredImage& image, uint64_t storedSize) {
  size_t records = 0;
  try {
    blocks::RunInOrder(
        blocks::ThreadsFor(storedSize / kPiece + 1),
        [&](blocks::TPiece& piece) {
          if ((piece.index + 1) * kPiece > limits::kMaxBitmapBytes + (1 << 20))
            throw TLeaveToWholePath{};
          size_t got = static_cast<size_t>(file.Read(piece.inBuffer, 2));
          if (got == 2 && LoadU16LE(piece.inBuffer) <= lzrw1kh::kWorkBufferSize)
            got += static_cast<size_t>(file.Read(piece.inBuffer + 2, LoadU16LE(piece.inBuffer)));
          piece.inSize = blocks::CheckFrame(piece.inBuffer, got);
          piece.in = piece.inBuffer + 2;
          return true;
        },
        [](blocks::TPiece& piece) {
          piece.outSize = DecompressBlock(piece.in, piece.outBuffer, piece.inSize, kPiece);
        },
        [&](blocks::TPiece& piece) {
          image.Take(piece.outBuffer, piece.outSize);
          records = piece.index + 1;
          return piece.outSize == kPiece;
        });
  } catch (const EInvalidGraphic&) {
    throw TLeaveToWholePath{};
  }
  image.Finish();
  return records;
}

// Opens a BLZ file: its layout and stored size, the restored image's first bytes handed to
// `image` (the packed bitmap's headers), the file standing at its first record.
struct TBlzFile {
  TBmpLayout layout = TBmpLayout::Plain;
  uint64_t storedSize = 0;
};

TBlzFile OpenBlz(TFileStream& file, std::vector<uint8_t>& restoredHead) {
  uint8_t header[kPackedHeaderSize] = {};
  file.SetPosition(0);
  const size_t got = static_cast<size_t>(file.Read(header, sizeof header));
  TBlzFile blz{RecognizeLayout({header, got})};
  if (blz.layout == TBmpLayout::BLZStream) {
    if (got < 8) throw TLeaveToWholePath{};
    blz.storedSize = LoadU32LE(header + 4);
    file.SetPosition(8);
  } else if (blz.layout == TBmpLayout::PackedBitmap) {
    const int32_t stored = static_cast<int32_t>(LoadU32LE(header + 6));
    if (got < kPackedHeaderSize || stored <= 0) throw TLeaveToWholePath{};
    blz.storedSize = static_cast<uint64_t>(stored);
    StoreU32LE(header + 6, 0);
    std::memcpy(header + kFileHeaderSize + 16, header + kFileHeaderSize + 40, 4);
    restoredHead.assign(header, header + 54);
  }
  return blz;
}

// The round trip of a plain BMP file's writer image through `layout`, piece by piece.
void CheckRoundTrip(const std::string& fileName, TBmpLayout layout) {
  TFileStream file(fileName, TFileMode::fmOpenRead);
  TPlainImage image(file, *PlainRows(file));
  const uint64_t base = layout == TBmpLayout::PackedBitmap ? 54 : 0;
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
          throw EInvalidGraphic(
              std::string("round trip through the ") +
              (layout == TBmpLayout::PackedBitmap ? "packed-bitmap" : "BLZ stream") +
              " layout differs");
        return true;
      });
}

// Whether the whole record at `at` expands to fewer than 32768 bytes.
bool BlockIsShort(TFileStream& file, int64_t at) {
  std::vector<uint8_t> record(blocks::kBufferSize), out(lzrw1kh::kWorkBufferSize);
  file.SetPosition(at);
  file.ReadBuffer(record.data(), 2);
  const size_t length = LoadU16LE(record.data());
  file.ReadBuffer(record.data() + 2, static_cast<int64_t>(length));
  return DecompressBlock(record.data() + 2, out.data(), length, kPiece) < kPiece;
}

} // namespace

bool ReadsDirectly(const std::string& fileName, const std::string& format) {
  return format.empty() && ReadByBitmapItself(fileName);
}

bool StreamPack(const std::string& input, TBmpLayout layout, const std::string& output) {
  TFileStream file(input, TFileMode::fmOpenRead);
  std::optional<TPlainBmpRows> rows = PlainRows(file);
  if (!rows) return false;
  TPlainImage image(file, std::move(*rows));
  SaveFileSafely(output, [&](TStream& out) {
    const auto header = LayoutHeader(layout, image.Head(), static_cast<uint32_t>(image.Size()));
    out.WriteBuffer(header.data(), static_cast<int64_t>(header.size()));
    const uint64_t base = layout == TBmpLayout::PackedBitmap ? 54 : 0;
    blocks::WriteRecords(
        image.Size() - base,
        [&](uint8_t* to, uint64_t offset, size_t count) { image.Fill(to, base + offset, count); },
        out);
  });
  return true;
}

bool StreamUnpack(const std::string& input, const std::string& output) {
  try {
    TFileStream file(input, TFileMode::fmOpenRead);
    std::vector<uint8_t> restoredHead;
    const TBlzFile blz = OpenBlz(file, restoredHead);
    if (blz.layout == TBmpLayout::Plain) {
      std::optional<TPlainBmpRows> rows = PlainRows(file);
      if (!rows) return false;
      TPlainImage image(file, std::move(*rows));
      SaveFileSafely(output, [&](TStream& out) {
        std::vector<uint8_t> buffer(kPiece);
        for (uint64_t at = 0; at < image.Size(); at += kPiece) {
          const size_t count = static_cast<size_t>(std::min<uint64_t>(kPiece, image.Size() - at));
          image.Fill(buffer.data(), at, count);
          out.WriteBuffer(buffer.data(), static_cast<int64_t>(count));
        }
      });
      return true;
    }
    SaveFileSafely(output, [&](TStream& out) {
      TRestoredImage image(blz.storedSize, &out);
      image.Take(restoredHead.data(), restoredHead.size());
      ExpandFile(file, image, blz.storedSize);
    });
    return true;
  } catch (const TLeaveToWholePath&) {
    return false;
  }
}

std::optional<std::string> StreamVerify(const std::string& file) {
  try {
    TFileStream stream(file, TFileMode::fmOpenRead);
    std::vector<uint8_t> restoredHead;
    const TBlzFile blz = OpenBlz(stream, restoredHead);
    if (blz.layout == TBmpLayout::Plain) {
      if (!ReadsDirectly(file, "") || !PlainRows(stream)) return std::nullopt;
      for (TBmpLayout layout : {TBmpLayout::PackedBitmap, TBmpLayout::BLZStream})
        CheckRoundTrip(file, layout);
      return file + ": OK (round trip in both layouts)";
    }
    TRestoredImage image(blz.storedSize, nullptr);
    image.Take(restoredHead.data(), restoredHead.size());
    const size_t records = ExpandFile(stream, image, blz.storedSize);
    return file + ": OK (" + LayoutName(blz.layout) + ", " + std::to_string(records) + " records)";
  } catch (const TLeaveToWholePath&) {
    return std::nullopt;
  }
}

std::optional<std::string> HeaderInfo(const std::string& fileName) {
  TFileStream file(fileName, TFileMode::fmOpenRead);
  const int64_t onDisk = file.Size();
  const std::vector<uint8_t> head = ReadHead(file);
  const TBmpLayout layout = RecognizeLayout(head);
  char line[PATH_MAX + 512]; // room for any path and the figures
  if (layout == TBmpLayout::Plain) {
    if (head.size() < 2 || head[0] != 'B' || head[1] != 'M') return std::nullopt;
    const std::optional<TPlainBmpRows> rows = PlainBmpRows(head, static_cast<uint64_t>(onDisk));
    if (!rows) return std::nullopt;
    std::snprintf(line, sizeof line, "%s: BMP, %d x %d, %d bpp, %lld bytes on disk",
                  fileName.c_str(), rows->width, rows->height, rows->bitsPerPixel,
                  static_cast<long long>(onDisk));
    return line;
  }
  const auto truncated = [] {
    return EInvalidGraphic("BLZ image is not valid: the file is truncated");
  };
  // The BMP headers: the packed bitmap keeps them as they are, the BLZ stream layout holds
  // them at the start of its first block, which is the one block expanded.
  int64_t storedSize, recordsAt;
  std::vector<uint8_t> bmp;
  if (layout == TBmpLayout::PackedBitmap) {
    if (head.size() < kPackedHeaderSize) throw truncated();
    storedSize = static_cast<int32_t>(LoadU32LE(head.data() + 6));
    if (storedSize <= 0) throw EInvalidGraphic("packed bitmap with a stored size of 0 or less");
    bmp.assign(head.begin(), head.begin() + 54);
    recordsAt = kPackedHeaderSize;
  } else {
    if (head.size() < 8) throw truncated();
    storedSize = LoadU32LE(head.data() + 4);
    recordsAt = 8;
    const size_t length = blocks::CheckFrame(head.data() + 8, head.size() - 8);
    bmp.resize(lzrw1kh::kWorkBufferSize);
    bmp.resize(DecompressBlock(head.data() + 10, bmp.data(), length, kPiece));
  }
  // Anything but the writer's own headers is left to the whole-picture path and its errors.
  if (bmp.size() < 54 || bmp[0] != 'B' || bmp[1] != 'M' || LoadU32LE(bmp.data() + 14) != 40)
    return std::nullopt;
  const int width = static_cast<int32_t>(LoadU32LE(bmp.data() + 18));
  const int height = std::abs(static_cast<int32_t>(LoadU32LE(bmp.data() + 22)));
  const int bpp = LoadU16LE(bmp.data() + 28);
  const int64_t imageSize = LoadU32LE(bmp.data() + 2);

  // The records the stored size promises, each frame's length read, none expanded. A file
  // that ends at a frame before that is whole only if its last block is a short piece: the
  // one case where a block is expanded to tell.
  const int64_t payload = storedSize - (layout == TBmpLayout::PackedBitmap ? 54 : 0);
  const int64_t promised = payload < 0 ? 1 : payload / int64_t(kPiece) + 1;
  int64_t at = recordsAt, last = 0;
  size_t records = 0;
  for (; records < static_cast<uint64_t>(promised); ++records) {
    uint8_t frame[2];
    const ssize_t got = ::pread(file.Handle(), frame, 2, at);
    if (got == 0 && records > 0 && BlockIsShort(file, last)) break;
    const size_t available =
        got < 2 ? static_cast<size_t>(std::max<ssize_t>(got, 0)) : static_cast<size_t>(onDisk - at);
    const size_t length = blocks::CheckFrame(frame, available);
    last = at;
    at += 2 + static_cast<int64_t>(length);
  }
  const double ratio = imageSize ? 100.0 * double(onDisk) / double(imageSize) : 0;
  std::snprintf(line, sizeof line,
                "%s: %s, %d x %d, %d bpp, BMP image %lld bytes, stored size %lld, %zu records, "
                "%lld bytes on disk (%.1f %%)",
                fileName.c_str(), LayoutName(layout), width, height, bpp,
                static_cast<long long>(imageSize), static_cast<long long>(storedSize), records,
                static_cast<long long>(onDisk), ratio);
  return line;
}
