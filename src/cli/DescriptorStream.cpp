#include "cli/DescriptorStream.h"

#include "io/Exceptions.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

int64_t TDescriptorStream::Read(void* buffer, int64_t count) {
  int64_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(fd_, static_cast<char*>(buffer) + done, size_t(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw EReadError("Cannot read " + name_ + ". " + std::strerror(errno));
    if (n == 0) break;
    done += n;
  }
  return done;
}

int64_t TDescriptorStream::Write(const void* buffer, int64_t count) {
  int64_t done = 0;
  while (done < count) {
    const ssize_t n = ::write(fd_, static_cast<const char*>(buffer) + done, size_t(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      throw EWriteError("Cannot write " + name_ + ". " + std::strerror(n < 0 ? errno : ENOSPC));
    done += n;
  }
  return done;
}

int64_t TDescriptorStream::Seek(int64_t offset, TSeekOrigin origin) {
  const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                     : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                        : SEEK_END;
  const off_t at = ::lseek(fd_, offset, whence);
  if (at < 0) throw EStreamError("Cannot seek in " + name_ + ". " + std::strerror(errno));
  return at;
}

int64_t TDescriptorStream::Size() {
  struct stat info {};
  if (::fstat(fd_, &info) != 0)
    throw EStreamError("Cannot read the size of " + name_ + ". " + std::strerror(errno));
  return info.st_size;
}

bool IsRegularFile(int fd) {
  struct stat info {};
  ::fstat(fd, &info); // a failed call leaves no file type
  return S_ISREG(info.st_mode);
}
