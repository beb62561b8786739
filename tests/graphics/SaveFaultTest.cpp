// Faults while saving: a full file system, a folder the user may not write, and a writer
// killed half-way. In every case the old file stays as it was and nothing is left behind.
#include "TestSupport.h"
#include "bitmap/UniBmp.h"
#include "graphics/Exceptions.h"
#include "graphics/SafeFile.h"
#include "graphics/Streams.h"

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

const std::vector<uint8_t> kOld(1000, 0x5A);

TUniBitmap NoisyBitmap(int side) {
  TUniBitmap bitmap;
  bitmap.Allocate(side, side, TPixelFormat::pf24bit);
  std::mt19937 random(1);
  for (auto& b : bitmap.Bits())
    b = static_cast<uint8_t>(random());
  return bitmap;
}

size_t EntriesIn(const fs::path& dir) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

// Runs `body` in a child process and returns its exit status (or -signal).
template <class Body> int InChild(Body body) {
  pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

TEST(SaveFaults, AFullFileSystemKeepsTheOldFile) {
  TempDir dir;
  fs::path small = dir.Path() / "small";
  fs::create_directory(small);
  if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=256k") != 0)
    GTEST_SKIP() << "cannot mount a small file system here";
  std::string target = (small / "old.blz").string();
  WriteFile(target, kOld);
  TUniBitmap big = NoisyBitmap(400); // about 480 KB, stored blocks: does not fit
  for (bool packed : {true, false}) {
    try {
      if (packed)
        big.SaveToPackedBmpFile(target);
      else
        big.SaveToBLZFile(target);
      ADD_FAILURE() << "saving to a full file system reported success";
    } catch (const EStreamError& e) {
      EXPECT_NE(std::string(e.what()).find(target), std::string::npos) << e.what();
    }
    EXPECT_EQ(ReadFile(target), kOld);
    EXPECT_EQ(EntriesIn(small), 1u);
  }
  ::umount(small.c_str());
}

TEST(SaveFaults, AFolderTheUserMayNotWriteKeepsTheOldFile) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to switch to an unprivileged user";
  TempDir dir;
  std::string target = dir.File("old.blz");
  WriteFile(target, kOld);
  ::chmod(dir.Path().c_str(), 0755);
  int status = InChild([&] {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) return 3;
    try {
      NoisyBitmap(20).SaveToBLZFile(target);
      return 1;
    } catch (const EFCreateError& e) {
      return std::string(e.what()).find(target) != std::string::npos ? 0 : 2;
    } catch (...) {
      return 4;
    }
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(ReadFile(target), kOld);
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST(SaveFaults, AWriterKilledHalfWayLeavesNothingBehind) {
  TempDir dir;
  std::string target = dir.File("old.blz");
  WriteFile(target, kOld);
  int status = InChild([&] {
    SaveFileSafely(target, [](TStream& out) {
      std::vector<uint8_t> half(100000, 1);
      out.WriteBuffer(half.data(), static_cast<int64_t>(half.size()));
      ::raise(SIGKILL);
    });
    return 0;
  });
  EXPECT_EQ(status, -SIGKILL);
  EXPECT_EQ(ReadFile(target), kOld);
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

} // namespace
