// Whole files in and out, with the system's error for the Python caller (FileNotFoundError
// and the rest), and temporary files for readers that take a name.
#pragma once

#include "python/SpareMemory.h"

#include <cstdint>
#include <span>
#include <string>

// A whole file's bytes, in memory that is not cleared before the file fills it (and that the
// next file or picture reuses once released).
class TFileBytes {
public:
  std::span<const uint8_t> Bytes() const { return {bytes_.get(), size_}; }
  size_t Size() const { return size_; }
  // Frees the memory at once, keeping none of it for the next file.
  void Free() { spare::FreeNow(bytes_), size_ = 0; }

private:
  friend TFileBytes ReadWholeFile(const std::string& fileName);
  spare::TBlock bytes_;
  size_t size_ = 0;
};

// The whole file; throws ESystemError when it cannot be read.
TFileBytes ReadWholeFile(const std::string& fileName);

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
