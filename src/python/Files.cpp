#include "python/Files.h"

#include "python/Errors.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Writes all of `bytes` to `fd` and closes it; throws ESystemError naming `fileName`.
void WriteAndClose(int fd, const std::string& fileName, std::span<const uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      const int error = put < 0 ? errno : EIO;
      ::close(fd);
      throw ESystemError(error, fileName);
    }
    done += size_t(put);
  }
  if (::close(fd) != 0) throw ESystemError(errno, fileName);
}

} // namespace

TFileBytes ReadWholeFile(const std::string& fileName) {
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw ESystemError(errno, fileName);
  // Read to the end, whatever size the file claimed when it was opened: one byte more than
  // that is asked for, so the end shows without a second buffer.
  TFileBytes file;
  const off_t size = ::lseek(fd, 0, SEEK_END);
  ::lseek(fd, 0, SEEK_SET);
  size_t room = size_t(std::max<off_t>(size, 0)) + 1;
  file.bytes_ = spare::TakeMemory(room);
  for (;;) {
    if (file.size_ == room) {
      spare::TBlock larger = spare::TakeMemory(room * 2);
      std::memcpy(larger.get(), file.bytes_.get(), file.size_);
      file.bytes_ = std::move(larger);
      room *= 2;
    }
    const ssize_t got = ::read(fd, file.bytes_.get() + file.size_, room - file.size_);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      const int error = errno;
      ::close(fd);
      throw ESystemError(error, fileName);
    }
    if (got == 0) break;
    file.size_ += size_t(got);
  }
  ::close(fd);
  return file;
}

void WriteWholeFile(const std::string& fileName, std::span<const uint8_t> bytes) {
  const int fd = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) throw ESystemError(errno, fileName);
  WriteAndClose(fd, fileName, bytes);
}

TTemporaryFile::TTemporaryFile(std::span<const uint8_t> bytes) {
  const char* dir = std::getenv("TMPDIR");
  std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/vantrel-XXXXXX";
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) throw ESystemError(errno, pattern);
  name_ = pattern;
  try {
    WriteAndClose(fd, name_, bytes);
  } catch (...) {
    ::unlink(name_.c_str());
    throw;
  }
}

TTemporaryFile::~TTemporaryFile() {
  ::unlink(name_.c_str());
}
