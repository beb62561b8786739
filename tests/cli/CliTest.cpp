#include "CliRun.h"
#include "Picture.h"
#include "blz/BlockPool.h"

#include <gtest/gtest.h>

#include <QImage>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

namespace {

using testsupport::ReadFile;
using testsupport::Saved;
using testsupport::TempDir;
using testsupport::WriteFile;
namespace fs = std::filesystem;

// Sessions at a shell, kept as transcripts (tests/data/cli/*.t): the "$ " lines run in one
// shell, in a folder holding the files of tests/data/cli/files, each followed by what it
// printed (standard error and output together) and "[N]" for an exit status N other than 0;
// "#" lines are comments. VANTREL_UPDATE_REFERENCES=1 rewrites the transcripts: read the
// difference before committing it.
TEST(Cli, SessionsPrintWhatTheirTranscriptsSay) {
  const fs::path kept = VANTREL_TEST_DATA "/cli";
  for (const auto& transcript : fs::directory_iterator(kept)) {
    if (transcript.path().extension() != ".t") continue;
    std::ifstream lines(transcript.path());
    std::string line;
    // A first line "# needs TOOL" skips the transcript where TOOL is missing.
    if (std::getline(lines, line) && line.starts_with("# needs ") &&
        !testsupport::HaveTool(line.substr(8)))
      continue;
    lines.seekg(0);
    TempDir dir;
    fs::create_directories(dir.Path() / "bin");
    fs::create_symlink(VANTREL_CLI, dir.Path() / "bin/vantrel-cli");
    fs::copy(kept / "files", dir.Path() / "work");
    std::string script = "exec 2>&1; PATH=\"$PWD/bin:$PATH\"; cd work\n";
    while (std::getline(lines, line)) {
      std::string quoted = line; // inside single quotes
      for (size_t at = 0; (at = quoted.find('\'', at)) != std::string::npos; at += 4)
        quoted.replace(at, 1, "'\\''");
      if (line.starts_with("$ ") || line.starts_with("#"))
        script += "printf '%s\\n' '" + quoted + "'\n";
      if (line.starts_with("$ "))
        script += line.substr(2) + "\ns=$?; [ $s = 0 ] || echo \"[$s]\"\n";
    }
    const std::string shown = Shell(dir, script).out;
    if (qEnvironmentVariableIsSet("VANTREL_UPDATE_REFERENCES"))
      std::ofstream(transcript.path()) << shown;
    EXPECT_EQ(shown, ReadText(transcript.path().string())) << transcript.path();
  }
}

// The program reads BMP and BLZ files with the format core alone and loads its input module
// for every other format: a file for each reader, most of them hostile, gives the status, the
// message and the bytes that reading in this process gives, from the file and from standard
// input.
TEST(CliProcess, ReadsEveryFormatAsThisProcessDoes) {
  TempDir dir;
  // A placeable metafile that writes "WW" in the default font on a 200 × 100 window.
  fs::copy_file(VANTREL_TEST_DATA "/text.wmf", dir.File("text.wmf"));
  const std::string data = VANTREL_TEST_DATA "/regressions/";
  const std::pair<std::string, std::string> inputs[] = {
      {dir.File("text.wmf"), ""},
      {dir.File("text.wmf"), "wmf"},
      {data + "bmp_reader/zero-width-rows-null-copy.bmp", ""},
      {data + "clp/dib-colour-table-cut-off.clp", ""},
      {data + "emf/record-size-not-multiple-of-4.emf", ""},
      {data + "gif/pixels-after-the-last-interlace-pass.gif", ""},
      {data + "gif/pixels-after-the-last-interlace-pass.gif", "pcx"},
      {data + "icon/entry-outside-file.ico", ""},
      {data + "jpeg/truncated-in-scan.jpg", ""},
      {data + "lbm/sham-picture-decodes-to-24-bit.lbm", "lbm"},
      {data + "loader/empty.dat", ""},
      {data + "pcx/width-beyond-bytes-per-line-24bit.pcx", ""},
      {data + "unibmp/zero-width-rows-null-copy.bmp", "blz"},
  };
  for (const auto& [input, format] : inputs) {
    SCOPED_TRACE(input + " " + format);
    std::vector<std::string> args = {"unpack", input, dir.File("o.bmp")};
    if (!format.empty()) args.insert(args.begin() + 1, {"--format", format});
    const TRun process = Process(dir, args);
    const std::string written = fs::exists(dir.File("o.bmp")) ? ReadText(dir.File("o.bmp")) : "";
    fs::remove(dir.File("o.bmp"));
    // Standard input gives the same status and message, naming the input "-".
    std::vector<std::string> fromStdin = args;
    fromStdin.end()[-2] = fromStdin.end()[-1] = "-";
    const TRun piped = Shell(dir, "$CLI" + Quoted(fromStdin) + " <'" + input + "'");
    const TRun here = Cli(args);
    EXPECT_EQ(process.status, here.status);
    EXPECT_EQ(process.err, here.err);
    EXPECT_EQ(piped.status, here.status);
    EXPECT_EQ(piped.err, Replaced(here.err, input, "-"));
    if (here.status == 0) {
      EXPECT_EQ(written, ReadText(dir.File("o.bmp")));
      EXPECT_EQ(piped.out, written);
    }
    fs::remove(dir.File("o.bmp"));
  }
  ASSERT_EQ(Process(dir, {"unpack", dir.File("text.wmf"), dir.File("a.bmp")}).status, 0);

  // Text drawn on several threads needs the GUI application made first on the main one. A
  // batch names its outputs as Quick Save does and reports each failure.
  fs::create_directory(dir.File("out"));
  for (const char* name : {"b.wmf", "c.wmf"})
    fs::copy_file(dir.File("text.wmf"), dir.File(name));
  const TRun batch =
      Process(dir, {"pack", "--jobs", "2", "--out-dir", dir.File("out"), dir.File("text.wmf"),
                    dir.File("absent.bmp"), dir.File("b.wmf"), dir.File("c.wmf")});
  EXPECT_EQ(batch.status, 1);
  EXPECT_NE(batch.err.find("absent.bmp"), std::string::npos) << batch.err;
  ASSERT_EQ(Process(dir, {"unpack", dir.File("out/c.BLZ"), dir.File("c.bmp")}).status, 0);
  EXPECT_EQ(ReadFile(dir.File("c.bmp")), ReadFile(dir.File("a.bmp")));

  ASSERT_EQ(Process(dir, {"thumbnail", dir.File("text.wmf"), dir.File("t.png"), "64"}).status, 0);
  EXPECT_EQ(QImage(QString::fromStdString(dir.File("t.png"))).size(), QSize(64, 32));
  ASSERT_EQ(Process(dir, {"thumbnail", dir.File("a.bmp"), dir.File("t.png"), "1000"}).status, 0);
  EXPECT_EQ(QImage(QString::fromStdString(dir.File("t.png"))).size(), QSize(200, 100));
}

// Streaming: the commands on BMP and BLZ files go piece by piece; their bytes and messages
// must be those of the whole-picture path.

TEST(Streaming, CommandsGiveTheBytesOfTheWholePicturePath) {
  blocks::SetThreads(3);
  TempDir dir;
  Bytes topDown = BmpFile(Picture(300, 80, TPixelFormat::pf24bit));
  StoreU32LE(topDown.data() + 22, uint32_t(-80));
  const struct {
    const char* name;
    Bytes image;
  } cases[] = {
      {"24 bits, padded rows", BmpFile(Picture(301, 200, TPixelFormat::pf24bit))},
      {"1 bit, padded bits", BmpFile(Picture(1001, 90, TPixelFormat::pf1bit))},
      {"8 bits", BmpFile(Picture(300, 300, TPixelFormat::pf8bit))},
      {"32 bits", BmpFile(Picture(1200, 40, TPixelFormat::pf32bit))},
      {"32 bits with alpha",
       [] {
         TUniBitmap alpha = Picture(1200, 40, TPixelFormat::pf32bit);
         alpha.SetHasAlpha(true);
         return BmpFile(alpha);
       }()},
      {"empty", BmpFile(Picture(0, 0, TPixelFormat::pf24bit))},
      // Converted by the reader: the whole-picture path does these.
      {"5-6-5 bit fields", BmpFile(Picture(333, 100, TPixelFormat::pf16bit))},
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
    const TRun info = Cli({"info", packed, stream, bmp});
    EXPECT_NE(info.out.find(bmp + ": BMP, "), std::string::npos) << info.out;
  }
  blocks::SetThreads(0);
}

TEST(Streaming, DamagedFilesFailAsTheWholePicturePathFails) {
  blocks::SetThreads(2);
  TempDir dir;
  const std::string bmp = dir.File("in.bmp");
  WriteFile(bmp, BmpFile(Picture(1000, 200, TPixelFormat::pf24bit))); // 19 records
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
    // The whole-picture path's own error, with nothing written; a packed bitmap that the
    // window shows as nothing fails too instead of becoming an empty picture.
    const std::string error = testsupport::ThrownText([&] { TUniBitmap().LoadFromFile(file); });
    for (const char* to : {"bmp", "pam"}) {
      const TRun convert = Cli({"convert", "--to", to, file, dir.File("out")});
      EXPECT_EQ(convert.status, 1) << to;
      EXPECT_NE(convert.err.find(error.empty() ? c.info : error), std::string::npos) << convert.err;
      EXPECT_FALSE(std::filesystem::exists(dir.File("out"))) << to;
    }
    EXPECT_EQ(Cli({"verify", file}).status, 1);
  }
  blocks::SetThreads(0);
}

} // namespace
