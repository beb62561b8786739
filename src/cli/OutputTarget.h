// One OUTPUT of a command: a named file, written to a temporary file that replaces it only
// when everything was written; or standard output for "-", written directly (a pipe has no
// temporary file: a failure half-way leaves what was written).
#pragma once

#include "io/Streams.h"

#include <functional>
#include <string>

bool IsStandardOutput(const std::string& name);

// Refuses binary output to standard output when that is a terminal (a usage error).
void CheckBinaryOutput(const std::string& name);

// Writes OUTPUT with `write`; returns the number of bytes written.
int64_t WriteOutput(const std::string& name, const std::function<void(TStream&)>& write);

// Standard output as a stream: writes are gathered into large ones, Flush sends them.
class TStandardOutput : public TStream {
public:
  TStandardOutput();
  ~TStandardOutput() override;
  int64_t Read(void*, int64_t) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  void Flush();
  // Bytes that reached standard output.
  int64_t Sent() const { return sent_; }
  // Takes back everything written, when standard output is a regular file; false for a pipe
  // once bytes were sent.
  bool TakeBack();

private:
  std::vector<uint8_t> pending_;
  int64_t sent_ = 0;
  int64_t start_ = -1; // where a regular file was when writing began
};
