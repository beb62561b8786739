// Saving never loses the old file: the new bytes replace it whole, or, on any fault (a full
// file system, a folder the user may not write, a writer killed half-way, a directory in the
// way), the old file stays as it was and nothing is left behind.
#include "io/SafeFile.h"
#include "TestSupport.h"
#include "blz/UniBmp.h"
#include "io/Exceptions.h"
#include "io/Streams.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

const std::vector<uint8_t> kOld(1000, 0x5A);
const std::vector<uint8_t> kNew = {9, 8, 7, 6};

void WriteNew(TStream& out) {
  out.WriteBuffer(kNew.data(), static_cast<int64_t>(kNew.size()));
}

// The folder holds only the old file, unchanged.
void ExpectOnlyTheOldFile(const fs::path& dir, const std::string& target) {
  EXPECT_EQ(ReadFile(target), kOld);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

// Runs `body` in a child process and returns its exit status (or -signal).
template <class Body> int InChild(Body body) {
  pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

TEST(SafeFile, ReplacesTheTargetKeepingItsPermissionsAndLinks) {
  TempDir dir;
  WriteFile(dir.File("t.blz"), kOld);
  ::chmod(dir.File("t.blz").c_str(), 0640);
  fs::create_symlink("t.blz", dir.Path() / "link.blz");
  SaveFileSafely(dir.File("link.blz"), WriteNew);
  EXPECT_TRUE(fs::is_symlink(dir.Path() / "link.blz"));
  EXPECT_EQ(ReadFile(dir.File("t.blz")), kNew);
  EXPECT_EQ(fs::status(dir.Path() / "t.blz").permissions(), fs::perms(0640));
  // A missing folder or a directory in the way is refused naming the file.
  fs::create_directory(dir.Path() / "d");
  for (const std::string& target : {dir.File("missing/t.blz"), dir.File("d")})
    EXPECT_NE(ThrownText<EFCreateError>([&] { SaveFileSafely(target, WriteNew); }).find(target),
              std::string::npos);
  EXPECT_TRUE(fs::is_directory(dir.Path() / "d"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 3);
}

TEST(SaveFaults, AFullFileSystemKeepsTheOldFile) {
  TempDir dir;
  fs::path small = dir.Path() / "small";
  fs::create_directory(small);
  if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=256k") != 0)
    GTEST_SKIP() << "cannot mount a small file system here";
  std::string target = (small / "old.blz").string();
  WriteFile(target, kOld);
  TUniBitmap big =
      Noise(400, 400, TPixelFormat::pf24bit, 1); // about 480 KB, stored blocks: does not fit
  for (bool packed : {true, false}) {
    const std::string text = ThrownText<EStreamError>(
        [&] { packed ? big.SaveToPackedBmpFile(target) : big.SaveToBLZFile(target); });
    EXPECT_NE(text.find(target), std::string::npos) << text;
    ExpectOnlyTheOldFile(small, target);
  }
  ::umount(small.c_str());
}

// A writer that throws or is killed half-way, and (run as root) an unprivileged user saving into
// a folder it may not write.
TEST(SaveFaults, AWriterThatFailsOrIsKilledOrMayNotWriteLeavesNothingBehind) {
  TempDir dir;
  std::string target = dir.File("old.blz");
  WriteFile(target, kOld);
  EXPECT_THROW(SaveFileSafely(target,
                              [](TStream& out) {
                                out.WriteBuffer(kNew.data(), 2);
                                throw EWriteError("disk full");
                              }),
               EWriteError);
  EXPECT_EQ(InChild([&] {
              SaveFileSafely(target, [](TStream& out) {
                std::vector<uint8_t> half(100000, 1);
                out.WriteBuffer(half.data(), static_cast<int64_t>(half.size()));
                ::raise(SIGKILL);
              });
              return 0;
            }),
            -SIGKILL);
  ::chmod(dir.Path().c_str(), 0755);
  EXPECT_EQ(InChild([&] {
              if (::geteuid() != 0) return 0; // only root can become an unprivileged user
              if (::setgid(65534) != 0 || ::setuid(65534) != 0) return 3;
              const std::string text = ThrownText<EFCreateError>(
                  [&] { Noise(20, 20, TPixelFormat::pf24bit, 1).SaveToBLZFile(target); });
              return text.find(target) != std::string::npos ? 0 : 2;
            }),
            0);
  ExpectOnlyTheOldFile(dir.Path(), target);
}

// A copy from a file moves every byte, at the sizes around its pieces of 64 kB too; a count
// of 0 copies the whole file from its start.
TEST(Streams, CopiesFromAFileMoveEveryByte) {
  TempDir dir;
  for (int64_t size : {1, 65535, 65536, 65537}) {
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    for (size_t i = 0; i < bytes.size(); ++i)
      bytes[i] = static_cast<uint8_t>(i * 7 + size);
    WriteFile(dir.File("in"), bytes);
    for (int64_t count : {size, int64_t{0}}) {
      TFileStream file(dir.File("in"), TFileMode::fmOpenRead);
      file.SetPosition(count ? 0 : size);
      TMemoryStream copy;
      EXPECT_EQ(copy.CopyFrom(file, count), size);
      EXPECT_EQ(std::vector<uint8_t>(copy.Bytes().begin(), copy.Bytes().end()), bytes) << size;
    }
  }
}

} // namespace
