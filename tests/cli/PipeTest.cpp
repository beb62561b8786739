// The program as a step of a pipeline: "-" for standard input and output (what a terminal and a
// closed pipe do is kept in tests/data/cli/pipes.t).
#include "CliRun.h"
#include "Picture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using testsupport::TempDir;

// A sanitized program checks that its sanitizer's runtime comes first; this library does not
// need that.
constexpr char kFlakyIo[] =
    "export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0 "
    "LD_PRELOAD=" VANTREL_FLAKY_IO "; ";
namespace fs = std::filesystem;

class Pipes : public testing::Test {
protected:
  void SetUp() override {
    Picture(300, 120, TPixelFormat::pf24bit).SaveToFile(dir.File("in.bmp"));
    ASSERT_EQ(Shell(dir, "$CLI pack in.bmp in.blz && convert in.bmp in.gif").status, 0);
    // A stream whose header claims more bytes than its records hold: the piecewise path gives
    // up after rows went out, and the whole picture is read.
    ASSERT_EQ(Shell(dir, "$CLI pack --layout stream in.bmp over.blz && printf '\\100\\015\\003' | "
                         "dd of=over.blz bs=1 seek=4 conv=notrunc 2>/dev/null")
                  .status,
              0);
  }
  TempDir dir;
};

// Each command reading "-" and writing "-" gives the bytes (or the lines) of the same command
// on files; standard input may be a redirected file or a pipe, BMP, BLZ or a loader format;
// standard output a pipe or a regular file.
TEST_F(Pipes, StandardInputAndOutputGiveTheBytesOfFiles) {
  const std::pair<const char*, const char*> cases[] = {
      {"$CLI pack in.bmp o", "$CLI pack - - <in.bmp"},
      {"$CLI pack --layout stream in.bmp o", "cat in.bmp | $CLI pack --layout stream - -"},
      {"$CLI pack in.gif o", "cat in.gif | $CLI pack - -"},
      {"$CLI unpack in.blz o", "cat in.blz | $CLI unpack - - | cat"},
      {"$CLI unpack in.blz o", "$CLI unpack over.blz - | cat"},
      {"$CLI unpack in.blz o", "$CLI unpack over.blz - >o2 && cat o2"},
      {"$CLI unpack in.gif o", "$CLI unpack - - <in.gif"},
      {"$CLI convert in.blz o.png", "cat in.blz | $CLI convert --to png - -"},
      {"$CLI convert in.gif o.pam", "$CLI convert --to PAM - - <in.gif"},
      {"$CLI thumbnail in.blz o 32", "cat in.blz | $CLI thumbnail - - 32"},
      {"$CLI info in.blz", "cat in.blz | $CLI info -"},
      {"$CLI info in.gif", "$CLI info - <in.gif"},
      {"$CLI verify in.blz", "$CLI verify - <in.blz"},
      {"$CLI verify in.bmp", "cat in.bmp | $CLI verify -"},
  };
  for (const auto& [files, pipe] : cases) {
    SCOPED_TRACE(pipe);
    const TRun fromFile = Shell(dir, files);
    ASSERT_EQ(fromFile.status, 0) << fromFile.err;
    std::string expected = fromFile.out;
    for (const char* name : {"o", "o.png", "o.pam"})
      if (fs::exists(dir.File(name)))
        expected = ReadText(dir.File(name)), fs::remove(dir.File(name));
    if (expected.size() < 1000) // text: the lines name the input "-"
      for (const char* name : {"in.blz", "in.bmp", "in.gif"})
        expected = Replaced(expected, name, "-");
    // Also when every read and write is short and large ones are now and then interrupted.
    for (const char* io : {"", kFlakyIo}) {
      const TRun piped = Shell(dir, io + std::string(pipe));
      ASSERT_EQ(piped.status, 0) << io << piped.err;
      EXPECT_EQ(piped.out, expected) << io;
    }
  }
}

} // namespace
