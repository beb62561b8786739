#include "io/SafeFile.h"

#include "io/Exceptions.h"
#include "io/Streams.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The temporary file's stream. Small writes (a block record at a time) are gathered into
// 256 KiB before they reach the file: one system call each would cost more than the coding.
class FdStream : public TStream {
public:
  FdStream(int fd, std::string fileName) : fd_(fd), fileName_(std::move(fileName)) {}
  int64_t Read(void*, int64_t) override { throw EReadError("Cannot read while saving"); }
  int64_t Write(const void* buffer, int64_t count) override {
    if (count <= 0) return 0;
    if (used_ + static_cast<size_t>(count) > kBufferSize) Flush();
    if (static_cast<size_t>(count) >= kBufferSize) {
      WriteAll(static_cast<const uint8_t*>(buffer), static_cast<size_t>(count));
    } else {
      if (pending_.empty()) pending_.resize(kBufferSize);
      std::memcpy(pending_.data() + used_, buffer, static_cast<size_t>(count));
      used_ += static_cast<size_t>(count);
    }
    return count;
  }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override {
    Flush();
    int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                 : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                    : SEEK_END;
    off_t r = ::lseek(fd_, offset, whence);
    if (r < 0) throw EWriteError(Reason(errno));
    return r;
  }
  void Flush() {
    WriteAll(pending_.data(), used_);
    used_ = 0;
  }
  std::string Reason(int error) const {
    return "Cannot write file \"" + fileName_ + "\". " + std::strerror(error);
  }

private:
  static constexpr size_t kBufferSize = size_t{256} << 10;

  void WriteAll(const uint8_t* in, size_t count) {
    for (size_t total = 0; total < count;) {
      ssize_t n = ::write(fd_, in + total, count - total);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) throw EWriteError(Reason(n < 0 ? errno : ENOSPC));
      total += static_cast<size_t>(n);
    }
  }

  int fd_;
  std::string fileName_;
  std::vector<uint8_t> pending_;
  size_t used_ = 0;
};

std::string FolderOf(const std::string& fileName) {
  auto slash = fileName.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : fileName.substr(0, slash);
}

std::string BaseOf(const std::string& fileName) {
  auto slash = fileName.rfind('/');
  return slash == std::string::npos ? fileName : fileName.substr(slash + 1);
}

mode_t NewFileMode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Links the unnamed file `fd` into its folder under a fresh name made from `pattern`.
bool GiveName(int fd, const std::string& pattern, std::string& name) {
  std::string procPath = "/proc/self/fd/" + std::to_string(fd);
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = pattern.substr(0, pattern.size() - 6);
    for (int i = 0; i < 6; ++i)
      candidate += kLetters[random() % 36];
    if (::linkat(AT_FDCWD, procPath.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      name = candidate;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

} // namespace

void SaveFileSafely(const std::string& target, const std::function<void(TStream&)>& write) {
  // Keep the permissions of a file we replace; a new file gets the usual 0666 & ~umask.
  struct stat existing {};
  bool replaces = ::stat(target.c_str(), &existing) == 0;
  if (replaces && S_ISDIR(existing.st_mode))
    throw EFCreateError("Cannot create file \"" + target + "\". Is a directory");
  if (replaces && !S_ISREG(existing.st_mode)) {
    // A device or pipe (/dev/stdout, a FIFO) cannot be replaced; write to it directly.
    TFileStream out(target, TFileMode::fmOpenWrite);
    write(out);
    return;
  }
  // Replace the file a symbolic link points to, never the link itself.
  std::string fileName = target;
  if (replaces) {
    if (char* resolved = ::realpath(target.c_str(), nullptr)) {
      fileName = resolved;
      std::free(resolved);
    }
  }

  const std::string folder = FolderOf(fileName);
  const std::string pattern = folder + "/." + BaseOf(fileName) + ".XXXXXX";
  // Preferably an unnamed file: a writer that is killed half-way then leaves nothing behind.
  // It gets its name only when complete. File systems without unnamed files get a named one.
  std::string tempName;
  int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd < 0) {
    std::vector<char> temp(pattern.begin(), pattern.end());
    temp.push_back('\0');
    fd = ::mkstemp(temp.data());
    if (fd < 0)
      throw EFCreateError("Cannot create file \"" + target + "\". " + std::strerror(errno));
    tempName = temp.data();
  }

  auto discard = [&](bool open) {
    if (open) ::close(fd);
    if (!tempName.empty()) ::unlink(tempName.c_str());
  };
  auto fail = [&](int error, bool open) {
    discard(open);
    throw EWriteError("Cannot write file \"" + target + "\". " + std::strerror(error));
  };
  try {
    FdStream out(fd, target);
    write(out);
    out.Flush();
  } catch (...) {
    discard(true);
    throw;
  }
  if (::fchmod(fd, replaces ? existing.st_mode & 07777 : NewFileMode()) != 0) fail(errno, true);
  if (::fsync(fd) != 0) fail(errno, true);
  if (tempName.empty() && !GiveName(fd, pattern, tempName)) fail(errno, true);
  if (::close(fd) != 0) fail(errno, false);
  if (::rename(tempName.c_str(), fileName.c_str()) != 0) fail(errno, false);
}
