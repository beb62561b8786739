// A stream over a file descriptor that someone else owns: standard input or output. Seek and
// Size work where the descriptor is a regular file; a pipe can only be read or written.
#pragma once

#include "io/Streams.h"

class TDescriptorStream : public TStream {
public:
  // `name` is what errors call the stream.
  TDescriptorStream(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override;
  int Handle() const { return fd_; }

private:
  int fd_;
  std::string name_;
};

// Whether `fd` is a regular file (seekable, with a size).
bool IsRegularFile(int fd);
