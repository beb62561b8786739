// vantrel-bench: LZRW1/KH and the BLZ layouts against LZ4, zlib and memcpy, single thread;
// then the readers against their peers, the peak memory of a load, the batch command line, and
// the BLZ layouts and the command line on every core.
//
// Every codec figure is MB/s of BMP image bytes (10^6 bytes per second of this thread's CPU time),
// the median of the runs.
// The codec and LZ4 work on the 32768-byte pieces the BLZ stream layout cuts the image into;
// zlib compresses the whole image in one call. Output buffers are allocated and touched once
// before timing so that no figure pays for first-touch page faults, except the BLZ rows,
// which measure the real save and load through fresh memory streams.
#include "Batch.h"
#include "Cores.h"
#include "ImageKinds.h"
#include "Measure.h"
#include "PeakMemory.h"
#include "Readers.h"

#include "codec/LZRW1KH.h"
#include "io/Streams.h"

#include <lz4.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

struct TRow {
  std::string codec;
  double ratio = 0;      // BMP bytes / coded bytes
  double compress = 0;   // MB/s
  double decompress = 0; // MB/s
};

struct TKindResult {
  std::string name;
  size_t bytes = 0;
  std::vector<TRow> rows;
  const TRow& Row(const std::string& codec) const {
    for (const TRow& row : rows)
      if (row.codec == codec) return row;
    static const TRow none;
    return none;
  }
};

double MBps(size_t bytes, double seconds) {
  return bytes / seconds / 1e6;
}

constexpr size_t kPiece = lzrw1kh::kMaxBlockInput;
constexpr size_t kSlot = lzrw1kh::kWorkBufferSize + 2; // room for one record

TRow BenchLzrw(std::span<const uint8_t> image) {
  const size_t pieces = image.size() / kPiece + 1;
  // The coder may read 2 bytes past the last piece: give it a padded copy.
  std::vector<uint8_t> source(image.begin(), image.end());
  source.resize(image.size() + 16, 0);
  std::vector<uint8_t> blocks(pieces * kSlot, 1);
  std::vector<uint16_t> lengths(pieces);
  auto compress = [&] {
    for (size_t i = 0; i < pieces; ++i) {
      size_t offset = i * kPiece, n = std::min(kPiece, image.size() - offset);
      lengths[i] = CompressBlock(source.data() + offset, blocks.data() + i * kSlot,
                                 static_cast<uint16_t>(n));
    }
  };
  TRow row{"LZRW1/KH"};
  row.compress = MBps(image.size(), Time(compress));
  size_t coded = 0;
  for (uint16_t length : lengths)
    coded += length + 2u;
  row.ratio = double(image.size()) / coded;
  std::vector<uint8_t> restored(pieces * kPiece + lzrw1kh::kWorkBufferSize, 1);
  size_t produced = 0;
  auto decompress = [&] {
    produced = 0;
    for (size_t i = 0; i < pieces; ++i)
      produced += DecompressBlock(blocks.data() + i * kSlot, restored.data() + produced, lengths[i],
                                  lzrw1kh::kWorkBufferSize);
  };
  row.decompress = MBps(image.size(), Time(decompress));
  if (produced != image.size() || std::memcmp(restored.data(), image.data(), image.size()) != 0)
    std::fprintf(stderr, "vantrel-bench: LZRW1/KH round trip differs\n");
  return row;
}

TRow BenchBlz(const TUniBitmap& bitmap, size_t bmpBytes, bool packed) {
  TRow row{packed ? "BLZ packed save/load" : "BLZ stream save/load"};
  size_t coded = 0;
  row.compress = MBps(bmpBytes, Time([&] {
                        TMemoryStream out;
                        if (packed)
                          bitmap.SaveToPackedBmpStream(out);
                        else
                          bitmap.SaveToBLZStream(out);
                        coded = static_cast<size_t>(out.Size());
                      }));
  row.ratio = double(bmpBytes) / coded;
  TMemoryStream file;
  if (packed)
    bitmap.SaveToPackedBmpStream(file);
  else
    bitmap.SaveToBLZStream(file);
  bool same = true;
  row.decompress = MBps(bmpBytes, Time([&] {
                          TUniBitmap loaded;
                          TReadOnlyMemoryStream in(file.Bytes());
                          loaded.LoadFromStream(in);
                          same = loaded.Width() == bitmap.Width();
                        }));
  if (!same) std::fprintf(stderr, "vantrel-bench: BLZ round trip differs\n");
  return row;
}

TRow BenchLz4(std::span<const uint8_t> image) {
  const size_t pieces = image.size() / kPiece + 1;
  const size_t slot = LZ4_compressBound(kPiece);
  std::vector<char> blocks(pieces * slot, 1);
  std::vector<int> lengths(pieces);
  const char* source = reinterpret_cast<const char*>(image.data());
  TRow row{"LZ4 default, 32 KiB pieces"};
  row.compress = MBps(image.size(), Time([&] {
                        for (size_t i = 0; i < pieces; ++i) {
                          size_t offset = i * kPiece, n = std::min(kPiece, image.size() - offset);
                          lengths[i] = LZ4_compress_default(source + offset, &blocks[i * slot],
                                                            int(n), int(slot));
                        }
                      }));
  size_t coded = 0;
  for (int length : lengths)
    coded += size_t(length);
  row.ratio = double(image.size()) / coded;
  std::vector<char> restored(pieces * kPiece, 1);
  row.decompress = MBps(image.size(), Time([&] {
                          for (size_t i = 0; i < pieces; ++i)
                            LZ4_decompress_safe(&blocks[i * slot], &restored[i * kPiece],
                                                lengths[i], int(kPiece));
                        }));
  if (std::memcmp(restored.data(), image.data(), image.size()) != 0)
    std::fprintf(stderr, "vantrel-bench: LZ4 round trip differs\n");
  return row;
}

TRow BenchZlib(std::span<const uint8_t> image, int level) {
  std::vector<uint8_t> packed(compressBound(image.size()), 1);
  uLongf packedSize = 0;
  TRow row{"zlib level " + std::to_string(level) + ", whole image"};
  row.compress = MBps(image.size(), Time([&] {
                        packedSize = packed.size();
                        compress2(packed.data(), &packedSize, image.data(), image.size(), level);
                      }));
  row.ratio = double(image.size()) / packedSize;
  std::vector<uint8_t> restored(image.size(), 1);
  row.decompress = MBps(image.size(), Time([&] {
                          uLongf size = restored.size();
                          uncompress(restored.data(), &size, packed.data(), packedSize);
                        }));
  return row;
}

TRow BenchMemcpy(std::span<const uint8_t> image) {
  std::vector<uint8_t> copy(image.size(), 1);
  TRow row{"memcpy"};
  row.ratio = 1;
  row.compress = row.decompress =
      MBps(image.size(), Time([&] { std::memcpy(copy.data(), image.data(), image.size()); }));
  return row;
}

TKindResult BenchKind(const TImageKind& kind) {
  TMemoryStream bmp;
  kind.bitmap.SaveToStream(bmp);
  std::span<const uint8_t> image = bmp.Bytes();
  TKindResult result{kind.name, image.size(), {}};
  result.rows.push_back(BenchLzrw(image));
  result.rows.push_back(BenchBlz(kind.bitmap, image.size(), false));
  result.rows.push_back(BenchBlz(kind.bitmap, image.size(), true));
  result.rows.push_back(BenchLz4(image));
  result.rows.push_back(BenchZlib(image, 1));
  result.rows.push_back(BenchZlib(image, 6));
  result.rows.push_back(BenchMemcpy(image));
  return result;
}

// The codec table and its goals.
std::vector<TGoal> BenchCodec(const std::vector<TImageKind>& kinds) {
  std::vector<TKindResult> results;
  for (const TImageKind& kind : kinds)
    results.push_back(BenchKind(kind));

  std::printf(
      "vantrel-bench: single thread, median of %d runs, MB/s of BMP bytes per CPU second\n\n",
      repetitions);
  std::printf("%-21s %-28s %8s %12s %12s\n", "image (BMP size)", "codec", "ratio", "compress",
              "decompress");
  for (const TKindResult& kind : results) {
    std::string label = kind.name;
    std::string size = "(" + std::to_string(kind.bytes / 1000) + " kB)";
    for (size_t r = 0; r < kind.rows.size(); ++r) {
      const TRow& row = kind.rows[r];
      std::printf("%-21s %-28s %7.2fx %12.0f %12.0f\n",
                  r == 0   ? label.c_str()
                  : r == 1 ? size.c_str()
                           : "",
                  row.codec.c_str(), row.ratio, row.compress, row.decompress);
    }
    std::printf("\n");
  }

  auto kind = [&](const std::string& name) -> const TKindResult& {
    for (const TKindResult& k : results)
      if (k.name.starts_with(name)) return k;
    return results.front();
  };
  auto lzrw = [&](const std::string& name) { return kind(name).Row("LZRW1/KH"); };
  auto lz4 = [&](const std::string& name) { return kind(name).Row("LZ4 default, 32 KiB pieces"); };
  const TKindResult& photo = kind("photo");
  const TKindResult& noise = kind("noise");
  std::vector<TGoal> goals = {
      {"compress photo (blocks stored), MB/s", lzrw("photo").compress, 450, ""},
      {"compress photo / zlib level 6",
       lzrw("photo").compress / photo.Row("zlib level 6, whole image").compress, 10, "x"},
      {"compress screenshot / LZ4", lzrw("screenshot").compress / lz4("screenshot").compress, 0.7,
       "x"},
      {"compress palette 8-bit / LZ4", lzrw("palette").compress / lz4("palette").compress, 0.7,
       "x"},
      {"compress illustration / LZ4", lzrw("illustration").compress / lz4("illustration").compress,
       0.5, "x"},
      {"decompress screenshot / LZ4", lzrw("screenshot").decompress / lz4("screenshot").decompress,
       0.65, "x"},
      {"decompress palette 8-bit / LZ4", lzrw("palette").decompress / lz4("palette").decompress,
       0.65, "x"},
      {"decompress stored blocks (noise) / memcpy",
       lzrw("noise").decompress / noise.Row("memcpy").decompress, 0.5, "x"},
  };
  const TKindResult& shot = kind("screenshot");
  goals.push_back({"BLZ stream save, screenshot: codec time / save time",
                   shot.Row("BLZ stream save/load").compress / lzrw("screenshot").compress, 1 / 1.3,
                   "x"});
  goals.push_back({"BLZ stream load, screenshot: codec time / load time",
                   shot.Row("BLZ stream save/load").decompress / lzrw("screenshot").decompress,
                   1 / 1.3, "x"});
  return goals;
}

} // namespace

int main(int argc, char** argv) {
  int scale = 1;
  std::string part;  // empty: every part
  bool keep = false; // keep the generated files for a closer look
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quick") == 0) {
      scale = 4;
      repetitions = 5;
    } else if (std::strcmp(argv[i], "--peak-load") == 0 && i + 1 < argc) {
      return PeakLoadMain(argv[i + 1]);
    } else if (std::strcmp(argv[i], "--write-pictures") == 0 && i + 1 < argc) {
      // The pictures as BMP files, for benchmarks of whole processes (scripts/bench-cli).
      LZRW1KHStartup();
      for (TImageKind& kind : MakeImageKinds(scale))
        kind.bitmap.SaveToFile(std::string(argv[i + 1]) + "/" +
                               kind.name.substr(0, kind.name.find(' ')) + ".bmp");
      MakeScreenshot(2400, 1600).SaveToFile(std::string(argv[i + 1]) + "/screenshot-2400x1600.bmp");
      LZRW1KHShutdown();
      return 0;
    } else if (std::strcmp(argv[i], "--write-photo") == 0 && i + 3 < argc) {
      // One photo-like picture of the size asked, as a BMP file (bench/python/goals.py).
      MakePhoto(std::atoi(argv[i + 1]), std::atoi(argv[i + 2])).SaveToFile(argv[i + 3]);
      return 0;
    } else if (std::strcmp(argv[i], "--keep") == 0) {
      keep = true;
    } else if (std::strcmp(argv[i], "--part") == 0 && i + 1 < argc) {
      part = argv[++i];
    } else {
      std::fprintf(
          stderr,
          "usage: vantrel-bench [--quick] [--keep] [--part codec|readers|memory|batch|cores]\n"
          "       vantrel-bench [--quick] --write-pictures DIR\n"
          "       vantrel-bench --write-photo WIDTH HEIGHT FILE.bmp\n");
      return 2;
    }
  }
  auto wanted = [&](const char* name) { return part.empty() || part == name; };
  LZRW1KHStartup();
  UniBmpStartup();
  std::vector<TImageKind> kinds = MakeImageKinds(scale);
  std::vector<TGoal> goals;
  if (wanted("codec")) goals = BenchCodec(kinds);
  char folderTemplate[] = "/tmp/vantrel-bench-XXXXXX";
  const std::string folder = mkdtemp(folderTemplate) ? folderTemplate : "";
  if (folder.empty()) {
    std::perror("vantrel-bench: temporary folder");
    return 1;
  }
  if (wanted("readers"))
    for (const TGoal& goal : BenchReaders(kinds, folder))
      goals.push_back(goal);
  if (wanted("memory")) goals.push_back(BenchPeakMemory(kinds, folder));
  if (wanted("batch")) goals.push_back(BenchBatch(folder, scale));
  if (wanted("cores"))
    for (const TGoal& goal : BenchCores(folder, scale))
      goals.push_back(goal);
  if (keep)
    std::printf("Files kept in %s\n", folder.c_str());
  else
    std::filesystem::remove_all(folder);

  std::printf("Goals:\n");
  for (const TGoal& goal : goals)
    PrintGoal(goal);
  UniBmpShutdown();
  LZRW1KHShutdown();
  return 0;
}
