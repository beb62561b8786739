#include "io/Streams.h"

#include "io/Exceptions.h"
#include "io/ImageMemory.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include "io/SafeFile.h"

namespace {
std::string Quoted(const std::string& fileName) {
  return "\"" + fileName + "\"";
}
} // namespace

int64_t TStream::Size() {
  int64_t position = Position();
  int64_t size = Seek(0, TSeekOrigin::soEnd);
  Seek(position, TSeekOrigin::soBeginning);
  return size;
}

void TStream::ReadBuffer(void* buffer, int64_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  if (auto* memory = dynamic_cast<TCustomMemoryStream*>(&source)) {
    auto rest = memory->Remaining();
    if (static_cast<int64_t>(rest.size()) < count) throw EReadError("Stream read error");
    WriteBuffer(rest.data(), count);
    memory->Seek(count, TSeekOrigin::soCurrent);
    return count;
  }
  constexpr int64_t kChunk = 1 << 16;
  auto buffer = std::make_unique<uint8_t[]>(kChunk);
  for (int64_t left = count; left > 0;) {
    int64_t n = std::min(left, kChunk);
    source.ReadBuffer(buffer.get(), n);
    WriteBuffer(buffer.get(), n);
    left -= n;
  }
  return count;
}

int64_t TCustomMemoryStream::Read(void* buffer, int64_t count) {
  if (count <= 0 || position_ >= size_) return 0;
  int64_t n = std::min(count, size_ - position_);
  std::memcpy(buffer, data_ + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

int64_t TCustomMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = origin == TSeekOrigin::soBeginning ? 0
                 : origin == TSeekOrigin::soCurrent ? position_
                                                    : size_;
  int64_t target = base + offset;
  if (target < 0) throw EStreamError("Stream seek before its start");
  position_ = target;
  return position_;
}

std::span<const uint8_t> TCustomMemoryStream::Remaining() const {
  if (position_ >= size_) return {};
  return {data_ + position_, static_cast<size_t>(size_ - position_)};
}

void TCustomMemoryStream::SaveToStream(TStream& target) const {
  target.WriteBuffer(data_, size_);
}

void TCustomMemoryStream::SaveToFile(const std::string& fileName) const {
  SaveFileSafely(fileName, [this](TStream& out) { SaveToStream(out); });
}

int64_t TReadOnlyMemoryStream::Write(const void*, int64_t) {
  throw EWriteError("Cannot write to a read-only stream");
}

TMemoryStream::~TMemoryStream() {
  std::free(data_);
}

void TMemoryStream::Clear() {
  std::free(Release());
}

uint8_t* TMemoryStream::Release() {
  uint8_t* memory = data_;
  SetPointer(nullptr, 0);
  capacity_ = 0;
  position_ = 0;
  return memory;
}

void TMemoryStream::Reserve(int64_t capacity) {
  if (capacity <= capacity_) return;
  void* grown = std::realloc(data_, static_cast<size_t>(capacity));
  if (!grown) throw EOutOfResources("Out of memory while growing a memory stream");
  data_ = static_cast<uint8_t*>(grown);
  capacity_ = capacity;
  AdviseHugePages(data_, static_cast<size_t>(capacity_));
}

void TMemoryStream::SetSize(int64_t size) {
  if (size < 0) throw EStreamError("Negative stream size");
  if (size > capacity_) Reserve(size);
  size_ = size;
  position_ = std::min(position_, size_);
}

uint8_t* TMemoryStream::PrepareWrite(int64_t count) {
  int64_t end = position_ + count;
  if (end > capacity_) Reserve(std::max(end, capacity_ + capacity_ / 2 + 4096));
  return data_ + position_;
}

void TMemoryStream::CommitWrite(int64_t written) {
  position_ += written;
  size_ = std::max(size_, position_);
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  std::memcpy(PrepareWrite(count), buffer, static_cast<size_t>(count));
  CommitWrite(count);
  return count;
}

void TMemoryStream::LoadFromStream(TStream& source) {
  source.SetPosition(0);
  int64_t size = source.Size();
  SetSize(size);
  position_ = 0;
  source.ReadBuffer(data_, size);
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
  Clear();
  ReadWholeFile(fileName, *this);
}

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : fileName_(fileName) {
  int flags = mode == TFileMode::fmOpenRead        ? O_RDONLY
              : mode == TFileMode::fmOpenReadWrite ? O_RDWR
              : mode == TFileMode::fmOpenWrite     ? O_WRONLY
                                                   : O_RDWR | O_CREAT | O_TRUNC;
  fd_ = ::open(fileName.c_str(), flags | O_CLOEXEC, 0666);
  if (fd_ < 0) {
    std::string reason = std::strerror(errno);
    if (mode == TFileMode::fmCreate)
      throw EFCreateError("Cannot create file " + Quoted(fileName) + ". " + reason);
    throw EFOpenError("Cannot open file " + Quoted(fileName) + ". " + reason);
  }
  struct stat st {};
  if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    throw EFOpenError("Cannot open file " + Quoted(fileName) + ". Is a directory");
  }
}

TFileStream::~TFileStream() {
  if (fd_ >= 0) ::close(fd_);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
  int64_t total = 0;
  auto* out = static_cast<uint8_t*>(buffer);
  while (total < count) {
    ssize_t n = ::read(fd_, out + total, static_cast<size_t>(count - total));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0)
      throw EReadError("Cannot read file " + Quoted(fileName_) + ". " + std::strerror(errno));
    if (n == 0) break;
    total += n;
  }
  return total;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
  int64_t total = 0;
  auto* in = static_cast<const uint8_t*>(buffer);
  while (total < count) {
    ssize_t n = ::write(fd_, in + total, static_cast<size_t>(count - total));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      throw EWriteError("Cannot write file " + Quoted(fileName_) + ". " +
                        std::strerror(n < 0 ? errno : ENOSPC));
    total += n;
  }
  return total;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
               : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                  : SEEK_END;
  off_t r = ::lseek(fd_, offset, whence);
  if (r < 0) throw EStreamError("Cannot seek in file " + Quoted(fileName_));
  return r;
}

int64_t TFileStream::Size() {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return TStream::Size();
  return st.st_size;
}

std::span<const uint8_t> WholeStream(TStream& stream, TMemoryStream& holder) {
  if (auto* memory = dynamic_cast<TCustomMemoryStream*>(&stream)) return memory->Bytes();
  holder.LoadFromStream(stream);
  return holder.Bytes();
}

void ReadWholeFile(const std::string& fileName, TMemoryStream& target) {
  TFileStream file(fileName, TFileMode::fmOpenRead);
  int64_t size = file.Size();
  target.SetSize(0);
  target.SetPosition(0);
  target.Reserve(size + (1 << 16));
  // Read until end of file rather than trusting the size (files can change under us), the
  // expected size in one call.
  for (int64_t chunk = std::max<int64_t>(size + 1, 1 << 16);; chunk = 1 << 16) {
    uint8_t* at = target.PrepareWrite(chunk);
    int64_t n = file.Read(at, chunk);
    target.CommitWrite(n);
    if (n == 0) break;
  }
  target.SetPosition(0);
}
