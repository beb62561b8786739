#include "TestSupport.h"
#include "bitmap/BlockPool.h"
#include "bitmap/UniBmp.h"
#include "cli/Cli.h"
#include "graphics/ByteReader.h"
#include "graphics/Streams.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>

namespace {

using Bytes = std::vector<uint8_t>;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

// Runs the command line in this process; returns its status and what it printed.
struct TRun {
  int status;
  std::string out, err;
};
TRun Cli(std::vector<std::string> args) {
  args.insert(args.begin(), "vantrel-cli");
  std::vector<char*> argv;
  for (auto& a : args)
    argv.push_back(a.data());
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  const int status = RunCli(static_cast<int>(argv.size()), argv.data());
  return {status, testing::internal::GetCapturedStdout(), testing::internal::GetCapturedStderr()};
}

Bytes Saved(const std::function<void(TStream&)>& save) {
  TMemoryStream out;
  save(out);
  return {out.Bytes().begin(), out.Bytes().end()};
}

// A BMP image of `format` with every byte of its rows (padding too) set.
Bytes Image(int width, int height, TPixelFormat format) {
  TUniBitmap bitmap;
  bitmap.Allocate(width, height, format);
  for (size_t i = 0; i < bitmap.Bits().size(); ++i)
    bitmap.Bits()[i] = uint8_t(i * 7 / 5 ^ i >> 11);
  TMemoryStream image;
  WriteBmp(bitmap, image);
  return {image.Bytes().begin(), image.Bytes().end()};
}

TEST(Streaming, CommandsGiveTheBytesOfTheWholePicturePath) {
  blocks::SetThreads(3);
  TempDir dir;
  Bytes topDown = Image(300, 80, TPixelFormat::pf24bit);
  StoreU32LE(topDown.data() + 22, uint32_t(-80));
  const struct {
    const char* name;
    Bytes image;
  } cases[] = {
      {"24 bits, padded rows", Image(301, 200, TPixelFormat::pf24bit)},
      {"1 bit, padded bits", Image(1001, 90, TPixelFormat::pf1bit)},
      {"8 bits", Image(300, 300, TPixelFormat::pf8bit)},
      {"32 bits", Image(1200, 40, TPixelFormat::pf32bit)},
      {"empty", Image(0, 0, TPixelFormat::pf24bit)},
      // Converted by the reader: the whole-picture path does these.
      {"5-6-5 bit fields", Image(333, 100, TPixelFormat::pf16bit)},
      {"top-down", topDown},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string bmp = dir.File("in.bmp"), packed = dir.File("p.blz"),
                      stream = dir.File("s.blz"), back = dir.File("back.bmp");
    WriteFile(bmp, c.image);
    TUniBitmap whole;
    whole.LoadFromFile(bmp);
    ASSERT_EQ(Cli({"pack", bmp, packed}).status, 0);
    ASSERT_EQ(Cli({"pack", "--layout", "stream", bmp, stream}).status, 0);
    EXPECT_EQ(ReadFile(packed), Saved([&](TStream& s) { whole.SaveToPackedBmpStream(s); }));
    EXPECT_EQ(ReadFile(stream), Saved([&](TStream& s) { whole.SaveToBLZStream(s); }));
    for (const std::string& input : {packed, stream, bmp}) {
      ASSERT_EQ(Cli({"unpack", input, back}).status, 0);
      EXPECT_EQ(ReadFile(back), Saved([&](TStream& s) { whole.SaveToStream(s); }));
    }
    const TRun verify = Cli({"verify", packed, stream, bmp});
    EXPECT_EQ(verify.status, 0) << verify.err;
    EXPECT_EQ(Cli({"info", packed, stream, bmp}).status, 0);
  }
  blocks::SetThreads(0);
}

TEST(Streaming, DamagedFilesFailAsTheWholePicturePathFails) {
  blocks::SetThreads(2);
  TempDir dir;
  const std::string bmp = dir.File("in.bmp");
  WriteFile(bmp, Image(1000, 200, TPixelFormat::pf24bit)); // 19 records
  ASSERT_EQ(Cli({"pack", bmp, dir.File("p.blz")}).status, 0);
  const Bytes packed = ReadFile(dir.File("p.blz"));
  size_t record5 = 58;
  for (int i = 0; i < 5; ++i)
    record5 += 2 + LoadU16LE(packed.data() + record5);

  const struct {
    const char* name;
    std::function<void(Bytes&)> damage;
    const char* info; // what info says
  } cases[] = {
      {"cut inside a record", [&](Bytes& f) { f.resize(record5 + 9); }, "truncated"},
      {"cut between records", [&](Bytes& f) { f.resize(record5); }, "truncated"},
      {"cut inside the header", [](Bytes& f) { f.resize(40); }, "truncated"},
      {"record too long", [&](Bytes& f) { StoreU16LE(f.data() + record5, 40000); }, "too long"},
      {"stored size 0", [](Bytes& f) { StoreU32LE(f.data() + 6, 0); }, "stored size of 0"},
      // The frames are whole: only expanding finds this one.
      {"undecodable block",
       [&](Bytes& f) { std::memcpy(f.data() + record5 + 2, "\x40\x80\x00\xFF\xF0", 5); }, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes damaged = packed;
    c.damage(damaged);
    const std::string file = dir.File("bad.blz");
    WriteFile(file, damaged);
    const TRun info = Cli({"info", file});
    EXPECT_EQ(info.status, *c.info ? 1 : 0);
    EXPECT_NE(info.err.find(c.info), std::string::npos) << info.err;
    // The whole-picture path's own error, with nothing written.
    TUniBitmap whole;
    std::string error;
    try {
      whole.LoadFromFile(file);
    } catch (const std::exception& e) {
      error = e.what();
    }
    const TRun unpack = Cli({"unpack", file, dir.File("out.bmp")});
    EXPECT_EQ(unpack.status, error.empty() ? 0 : 1);
    EXPECT_NE(unpack.err.find(error), std::string::npos) << unpack.err;
    EXPECT_EQ(Cli({"verify", file}).status, 1);
    std::filesystem::remove(dir.File("out.bmp"));
  }
  blocks::SetThreads(0);
}

} // namespace
