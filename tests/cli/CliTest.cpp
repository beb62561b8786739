#include "cli/Cli.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QImage>

namespace {

using testsupport::Hex;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

const std::vector<uint8_t> kWhite2x2 =
    Hex("42 4D 46 00 00 00 00 00 00 00 36 00 00 00 28 00 00 00 02 00 00 00 02 00 00 00 01 00 "
        "18 00 00 00 00 00 10 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
        "FF FF FF FF FF FF 00 00 FF FF FF FF FF FF 00 00");

int Cli(std::vector<std::string> args) {
  args.insert(args.begin(), "vantrel-cli");
  std::vector<char*> argv;
  for (auto& a : args)
    argv.push_back(a.data());
  return RunCli(static_cast<int>(argv.size()), argv.data());
}

TEST(Cli, PackWritesBothLayoutsAndUnpackRestoresTheImage) {
  TempDir dir;
  WriteFile(dir.File("white.bmp"), kWhite2x2);
  ASSERT_EQ(Cli({"pack", dir.File("white.bmp"), dir.File("p.blz")}), 0);
  ASSERT_EQ(Cli({"pack", "--layout", "stream", dir.File("white.bmp"), dir.File("s.blz")}), 0);
  EXPECT_EQ(ReadFile(dir.File("p.blz")).size(), 73u);
  EXPECT_EQ(ReadFile(dir.File("s.blz")),
            Hex("4C 5A 52 57 46 00 00 00 2A 00 40 0A A2 42 4D 46 00 00 13 36 00 70 28 00 40 02 "
                "00 44 01 00 18 00 A0 00 29 00 00 10 00 00 03 00 FF 00 12 00 00 00 72 FF 00 00"));
  for (const char* blz : {"p.blz", "s.blz"}) {
    ASSERT_EQ(Cli({"unpack", dir.File(blz), dir.File("back.bmp")}), 0);
    EXPECT_EQ(ReadFile(dir.File("back.bmp")), kWhite2x2) << blz;
  }
  testing::internal::CaptureStdout();
  EXPECT_EQ(Cli({"verify", dir.File("p.blz"), dir.File("s.blz"), dir.File("white.bmp")}), 0);
  EXPECT_EQ(Cli({"info", dir.File("p.blz")}), 0);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("packed bitmap, 2 x 2, 24 bpp"), std::string::npos) << out;
}

TEST(Cli, ExitStatusTellsUsageErrorsFromFailedFiles) {
  TempDir dir;
  WriteFile(dir.File("white.bmp"), kWhite2x2);
  WriteFile(dir.File("text.bmp"), {'h', 'e', 'l', 'l', 'o'});
  std::vector<uint8_t> damaged = ReadFile(dir.File("white.bmp"));
  testing::internal::CaptureStderr();
  EXPECT_EQ(Cli({}), 2);
  EXPECT_EQ(Cli({"frobnicate"}), 2);
  EXPECT_EQ(Cli({"pack", "--layout", "zip", dir.File("white.bmp"), dir.File("o")}), 2);
  EXPECT_EQ(Cli({"unpack", dir.File("white.bmp")}), 2);
  EXPECT_EQ(Cli({"unpack", dir.File("missing.bmp"), dir.File("o.bmp")}), 1);
  EXPECT_EQ(Cli({"unpack", dir.File("text.bmp"), dir.File("o.bmp")}), 1);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("vantrel-cli: " + dir.File("missing.bmp") + ": "), std::string::npos) << err;
  EXPECT_FALSE(std::filesystem::exists(dir.File("o.bmp")));
}

TEST(Cli, VerifyFindsADamagedFile) {
  TempDir dir;
  WriteFile(dir.File("white.bmp"), kWhite2x2);
  ASSERT_EQ(Cli({"pack", "--layout", "stream", dir.File("white.bmp"), dir.File("s.blz")}), 0);
  auto bytes = ReadFile(dir.File("s.blz"));
  bytes.resize(bytes.size() - 5);
  WriteFile(dir.File("cut.blz"), bytes);
  testing::internal::CaptureStderr();
  EXPECT_EQ(Cli({"verify", dir.File("cut.blz")}), 1);
  testing::internal::GetCapturedStderr();
}

TEST(Cli, BatchPackNamesOutputsLikeQuickSaveAndReportsEachFailure) {
  TempDir dir;
  std::filesystem::create_directory(dir.Path() / "out");
  std::vector<std::string> args = {"pack", "--jobs", "2", "--out-dir", dir.File("out")};
  for (int i = 0; i < 6; ++i) {
    WriteFile(dir.File("pic" + std::to_string(i) + ".bmp"), kWhite2x2);
    args.push_back(dir.File("pic" + std::to_string(i) + ".bmp"));
  }
  args.push_back(dir.File("absent.bmp"));
  testing::internal::CaptureStderr();
  EXPECT_EQ(Cli(args), 1);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("absent.bmp"), std::string::npos);
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(ReadFile(dir.File("out/pic" + std::to_string(i) + ".BLZ")).size(), 73u);
}

TEST(Cli, ThumbnailFitsTheSize) {
  TempDir dir;
  WriteFile(dir.File("white.bmp"), kWhite2x2);
  ASSERT_EQ(Cli({"thumbnail", dir.File("white.bmp"), dir.File("t.png"), "128"}), 0);
  QImage thumb(QString::fromStdString(dir.File("t.png")));
  EXPECT_EQ(thumb.size(), QSize(2, 2));
}

} // namespace
