#include "graphics/SafeFile.h"
#include "TestSupport.h"
#include "graphics/Exceptions.h"
#include "graphics/Streams.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

const std::vector<uint8_t> kOld = {1, 2, 3};
const std::vector<uint8_t> kNew = {9, 8, 7, 6};

auto Writes(const std::vector<uint8_t>& bytes) {
  return
      [&bytes](TStream& out) { out.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size())); };
}

size_t EntriesIn(const fs::path& dir) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

TEST(SafeFile, ReplacesTheTargetKeepingItsPermissions) {
  TempDir dir;
  WriteFile(dir.File("t.blz"), kOld);
  ::chmod(dir.File("t.blz").c_str(), 0640);
  SaveFileSafely(dir.File("t.blz"), Writes(kNew));
  EXPECT_EQ(ReadFile(dir.File("t.blz")), kNew);
  struct stat st {};
  ::stat(dir.File("t.blz").c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST(SafeFile, AFailureLeavesTheOldFileAndNoTemporaryFile) {
  TempDir dir;
  WriteFile(dir.File("t.blz"), kOld);
  auto failsHalfWay = [](TStream& out) {
    out.WriteBuffer(kNew.data(), 2);
    throw EWriteError("disk full");
  };
  EXPECT_THROW(SaveFileSafely(dir.File("t.blz"), failsHalfWay), EWriteError);
  EXPECT_EQ(ReadFile(dir.File("t.blz")), kOld);
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST(SafeFile, UnwritableFolderOrMissingFolderNamesTheFile) {
  TempDir dir;
  WriteFile(dir.File("t.blz"), kOld);
  fs::create_directory(dir.Path() / "locked");
  WriteFile(dir.File("locked/t.blz"), kOld);
  ::chmod(dir.File("locked").c_str(), 0555);
  bool root = ::geteuid() == 0; // root writes anywhere; the permission case needs a user
  for (const std::string& target : {dir.File("missing/t.blz"), dir.File("locked/t.blz")}) {
    if (root && target.find("locked") != std::string::npos) continue;
    try {
      SaveFileSafely(target, Writes(kNew));
      ADD_FAILURE() << "saved " << target;
    } catch (const EStreamError& e) {
      EXPECT_NE(std::string(e.what()).find(target), std::string::npos) << e.what();
    }
  }
  EXPECT_EQ(ReadFile(dir.File("locked/t.blz")), kOld);
}

TEST(SafeFile, ALinkStaysALinkAndItsTargetIsReplaced) {
  TempDir dir;
  WriteFile(dir.File("real.blz"), kOld);
  fs::create_symlink("real.blz", dir.Path() / "link.blz");
  SaveFileSafely(dir.File("link.blz"), Writes(kNew));
  EXPECT_TRUE(fs::is_symlink(dir.Path() / "link.blz"));
  EXPECT_EQ(ReadFile(dir.File("real.blz")), kNew);
}

TEST(SafeFile, ADirectoryIsNeverReplaced) {
  TempDir dir;
  fs::create_directory(dir.Path() / "d");
  EXPECT_THROW(SaveFileSafely(dir.File("d"), Writes(kNew)), EFCreateError);
  EXPECT_TRUE(fs::is_directory(dir.Path() / "d"));
}

} // namespace
