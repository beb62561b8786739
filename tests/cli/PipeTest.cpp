// The program as a step of a pipeline: "-" for standard input and output, a terminal, a
// closed pipe, and a batch's progress bar on a terminal.
#include "TestSupport.h"
#include "bmp/Bitmap.h"
#include "io/Streams.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
namespace fs = std::filesystem;

struct TShell {
  int status;
  std::vector<uint8_t> out;
  std::string err;
};

// Runs `script` with sh in `dir`, $CLI naming the program.
TShell Shell(const TempDir& dir, const std::string& script) {
  std::ofstream(dir.File("run.sh"))
      << "cd '" << dir.Path().string() << "'\nexport CLI='" VANTREL_CLI << "'\n"
      << script << "\n";
  const int status = testsupport::Run("sh " + dir.File("run.sh") + " >" + dir.File("stdout") +
                                      " 2>" + dir.File("stderr"));
  const std::vector<uint8_t> err = ReadFile(dir.File("stderr"));
  return {status, ReadFile(dir.File("stdout")), std::string(err.begin(), err.end())};
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
    text.replace(at, from.size(), to);
  return text;
}

// A 24-bit picture with every row different, as a BMP file.
void WritePicture(const std::string& file, int width, int height) {
  TBitmap bitmap;
  bitmap.Allocate(width, height, TPixelFormat::pf24bit);
  for (size_t i = 0; i < bitmap.Bits().size(); ++i)
    bitmap.Bits()[i] = uint8_t(i * 7 / 5 ^ i >> 11);
  bitmap.ClearRowPadding();
  TMemoryStream image;
  WriteBmp(bitmap, image);
  image.SaveToFile(file);
}

class Pipes : public testing::Test {
protected:
  void SetUp() override {
    WritePicture(dir.File("in.bmp"), 300, 120);
    ASSERT_EQ(Shell(dir, "$CLI pack in.bmp in.blz && convert in.bmp in.gif").status, 0);
  }
  TempDir dir;
};

// Each command reading "-" and writing "-" gives the bytes (or the lines) of the same command
// on files; standard input may be a redirected file or a pipe, BMP, BLZ or a loader format.
TEST_F(Pipes, StandardInputAndOutputGiveTheBytesOfFiles) {
  const std::pair<const char*, const char*> cases[] = {
      {"$CLI pack in.bmp o", "$CLI pack - - <in.bmp"},
      {"$CLI pack --layout stream in.bmp o", "cat in.bmp | $CLI pack --layout stream - -"},
      {"$CLI pack in.gif o", "cat in.gif | $CLI pack - -"},
      {"$CLI unpack in.blz o", "cat in.blz | $CLI unpack - - | cat"},
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
    const TShell fromFile = Shell(dir, files);
    ASSERT_EQ(fromFile.status, 0) << fromFile.err;
    std::vector<uint8_t> expected = fromFile.out;
    for (const char* name : {"o", "o.png", "o.pam"})
      if (fs::exists(dir.File(name)))
        expected = ReadFile(dir.File(name)), fs::remove(dir.File(name));
    const TShell piped = Shell(dir, pipe);
    ASSERT_EQ(piped.status, 0) << piped.err;
    if (expected.size() < 1000) { // text: the lines name the input "-"
      std::string text(expected.begin(), expected.end());
      for (const char* name : {"in.blz", "in.bmp", "in.gif"})
        text = Replaced(text, name, "-");
      expected.assign(text.begin(), text.end());
    }
    EXPECT_EQ(piped.out, expected);
  }
}

// Damaged and hostile files give the same status and message through standard input.
TEST_F(Pipes, HostileInputsFailAsFromAFile) {
  const std::string data = VANTREL_TEST_DATA "/regressions/";
  const char* inputs[] = {"bmp_reader/zero-width-rows-null-copy.bmp",
                          "clp/dib-colour-table-cut-off.clp",
                          "gif/pixels-after-the-last-interlace-pass.gif",
                          "icon/entry-outside-file.ico",
                          "jpeg/truncated-in-scan.jpg",
                          "loader/empty.dat",
                          "pcx/width-beyond-bytes-per-line-24bit.pcx",
                          "unibmp/zero-width-rows-null-copy.bmp"};
  for (const std::string input : inputs) {
    SCOPED_TRACE(input);
    const std::string file = data + input;
    const TShell fromFile = Shell(dir, "$CLI unpack '" + file + "' o.bmp");
    const TShell piped = Shell(dir, "$CLI unpack - - <'" + file + "' >/dev/null");
    EXPECT_EQ(piped.status, fromFile.status);
    EXPECT_EQ(piped.err, Replaced(fromFile.err, file, "-"));
    fs::remove(dir.File("o.bmp"));
  }
}

TEST_F(Pipes, TerminalsAndClosedPipes) {
  WritePicture(dir.File("big.bmp"), 1000, 1000);
  const struct {
    const char* script;
    int status;
    const char* err; // in standard error, or the terminal's text
  } cases[] = {
      {"script -qec '$CLI unpack in.blz -' /dev/null", 2, "refusing to write a picture to a"},
      {"($CLI unpack big.bmp -; echo $? >status) | head -c 1 >/dev/null; exit $(cat status)", 1,
       "vantrel-cli: big.bmp: Cannot write standard output. Broken pipe"},
      {"$CLI pack in.bmp ./- && cmp ./- in.blz", 0, ""},
      // A stored size the image does not end at is found after rows went into the pipe; the
      // whole-picture path, which takes such a file, goes on from there.
      {"$CLI pack --layout stream big.bmp s.blz && printf '\\001' | dd of=s.blz bs=1 seek=4 "
       "conv=notrunc 2>/dev/null && $CLI unpack s.blz f.bmp && $CLI unpack - - <s.blz | cat >p.bmp "
       "&& cmp f.bmp p.bmp",
       0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    const TShell run = Shell(dir, c.script);
    EXPECT_EQ(run.status, c.status);
    EXPECT_NE((run.err + std::string(run.out.begin(), run.out.end())).find(c.err),
              std::string::npos)
        << run.err;
  }
}

// The bar shows on a terminal (here at once), never with -q or when standard error is a file;
// the summary closes every batch but a quiet one.
TEST_F(Pipes, BatchProgressBarOnATerminalOnly) {
  fs::create_directory(dir.File("out"));
  fs::copy_file(dir.File("in.gif"), dir.File("pic.gif"));
  const std::string batch = "$CLI convert --to ppm --out-dir out in.bmp pic.gif";
  const struct {
    std::string script;
    bool bar, summary;
  } cases[] = {
      {"VANTREL_PROGRESS_AFTER_MS=0 script -qec '" + batch + "' /dev/null", true, true},
      {"VANTREL_PROGRESS_AFTER_MS=0 script -qec '" + batch + " -q' /dev/null", false, false},
      {"VANTREL_PROGRESS_AFTER_MS=0 " + batch, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    const TShell run = Shell(dir, c.script);
    EXPECT_EQ(run.status, 0);
    const std::string seen = run.err + std::string(run.out.begin(), run.out.end());
    EXPECT_EQ(seen.find("] 1/2 files ") != std::string::npos, c.bar) << seen;
    EXPECT_EQ(seen.find("2 files, 2 written, 0 failed, 0 skipped;") != std::string::npos, c.summary)
        << seen;
  }
}

} // namespace
