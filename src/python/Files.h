// Whole files in and out, with the system's error for the Python caller (FileNotFoundError
// and the rest), and temporary files for readers that take a name.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The whole file; throws ESystemError when it cannot be read.
std::vector<uint8_t> ReadWholeFile(const std::string& fileName);

// Creates or replaces `fileName` with `bytes`; throws ESystemError.
void WriteWholeFile(const std::string& fileName, std::span<const uint8_t> bytes);

// A file of `bytes` that lives as long as the object.
class TTemporaryFile {
public:
  explicit TTemporaryFile(std::span<const uint8_t> bytes);
  ~TTemporaryFile();
  TTemporaryFile(const TTemporaryFile&) = delete;
  TTemporaryFile& operator=(const TTemporaryFile&) = delete;
  const std::string& Name() const { return name_; }

private:
  std::string name_;
};
