#include "cli/OutputTarget.h"

#include "cli/DescriptorStream.h"
#include "cli/UsageError.h"
#include "io/Exceptions.h"
#include "io/SafeFile.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

constexpr size_t kGather = size_t{256} << 10;
constexpr const char* kName = "standard output";

// Counts what a writer hands on.
class TCountingStream : public TStream {
public:
  explicit TCountingStream(TStream& to) : to_(to) {}
  int64_t Read(void* buffer, int64_t count) override { return to_.Read(buffer, count); }
  int64_t Write(const void* buffer, int64_t count) override {
    const int64_t written = to_.Write(buffer, count);
    count_ += written;
    return written;
  }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override { return to_.Seek(offset, origin); }
  int64_t Count() const { return count_; }

private:
  TStream& to_;
  int64_t count_ = 0;
};

} // namespace

bool IsStandardOutput(const std::string& name) {
  return name == "-";
}

void CheckBinaryOutput(const std::string& name) {
  if (IsStandardOutput(name) && isatty(STDOUT_FILENO))
    throw TUsageError{"refusing to write a picture to a terminal: redirect standard output to "
                      "a file or a pipe, or name an OUTPUT file"};
}

TStandardOutput::TStandardOutput() {
  if (IsRegularFile(STDOUT_FILENO)) start_ = ::lseek(STDOUT_FILENO, 0, SEEK_CUR);
  pending_.reserve(kGather);
}

TStandardOutput::~TStandardOutput() = default;

int64_t TStandardOutput::Read(void*, int64_t) {
  throw EReadError("Cannot read " + std::string(kName));
}

int64_t TStandardOutput::Seek(int64_t offset, TSeekOrigin origin) {
  if (offset == 0 && origin != TSeekOrigin::soBeginning) return sent_ + int64_t(pending_.size());
  throw EWriteError("Cannot seek in " + std::string(kName));
}

int64_t TStandardOutput::Write(const void* buffer, int64_t count) {
  if (pending_.size() + size_t(count) > kGather) Flush();
  if (size_t(count) >= kGather) {
    sent_ += TDescriptorStream(STDOUT_FILENO, kName).Write(buffer, count);
    return count;
  }
  pending_.insert(pending_.end(), static_cast<const uint8_t*>(buffer),
                  static_cast<const uint8_t*>(buffer) + count);
  return count;
}

void TStandardOutput::Flush() {
  if (pending_.empty()) return;
  TDescriptorStream(STDOUT_FILENO, kName).WriteBuffer(pending_.data(), int64_t(pending_.size()));
  sent_ += int64_t(pending_.size());
  pending_.clear();
}

bool TStandardOutput::TakeBack() {
  pending_.clear();
  if (sent_ == 0) return true;
  if (start_ < 0 || ::lseek(STDOUT_FILENO, start_, SEEK_SET) < 0 ||
      ::ftruncate(STDOUT_FILENO, start_) != 0)
    return false;
  sent_ = 0;
  return true;
}

int64_t WriteOutput(const std::string& name, const std::function<void(TStream&)>& write) {
  if (IsStandardOutput(name)) {
    CheckBinaryOutput(name);
    TStandardOutput out;
    write(out);
    out.Flush();
    return out.Sent();
  }
  int64_t written = 0;
  SaveFileSafely(name, [&](TStream& file) {
    TCountingStream counted(file);
    write(counted);
    written = counted.Count();
  });
  return written;
}
