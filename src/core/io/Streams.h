// Byte streams: the one hand-over interface between files, resources, memory and the format
// code. Read returns what it got; ReadBuffer and WriteBuffer throw on a short transfer.
#pragma once

#include <cstdint>
#include <span>
#include <string>

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
  virtual ~TStream() = default;
  TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;

  virtual int64_t Read(void* buffer, int64_t count) = 0;
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  virtual int64_t Size();

  int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
  void ReadBuffer(void* buffer, int64_t count);
  void WriteBuffer(const void* buffer, int64_t count);
  // Copies `count` bytes from the current position of `source`; count 0 copies all of
  // `source` from offset 0. Returns the number of bytes copied.
  int64_t CopyFrom(TStream& source, int64_t count);
};

// A stream over bytes held in memory. Memory() stays valid until the stream changes size.
class TCustomMemoryStream : public TStream {
public:
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return size_; }
  const uint8_t* Memory() const { return data_; }
  std::span<const uint8_t> Bytes() const { return {data_, static_cast<size_t>(size_)}; }
  // The bytes from the current position to the end, without copying.
  std::span<const uint8_t> Remaining() const;
  void SaveToStream(TStream& target) const;
  void SaveToFile(const std::string& fileName) const;

protected:
  void SetPointer(uint8_t* data, int64_t size) {
    data_ = data;
    size_ = size;
  }
  uint8_t* data_ = nullptr;
  int64_t size_ = 0;
  int64_t position_ = 0;
};

// A read-only stream over memory that someone else owns.
class TReadOnlyMemoryStream : public TCustomMemoryStream {
public:
  explicit TReadOnlyMemoryStream(std::span<const uint8_t> bytes) {
    SetPointer(const_cast<uint8_t*>(bytes.data()), static_cast<int64_t>(bytes.size()));
  }
  int64_t Write(const void*, int64_t) override;
};

// A growable memory stream that owns its bytes. Growth never fills new memory: pages are
// only touched when data is written into them.
class TMemoryStream : public TCustomMemoryStream {
public:
  TMemoryStream() = default;
  ~TMemoryStream() override;

  int64_t Write(const void* buffer, int64_t count) override;
  uint8_t* Memory() { return data_; }
  using TCustomMemoryStream::Memory;
  void Clear();
  // Hands the memory (from malloc, to be released with free) to the caller and leaves the
  // stream empty.
  uint8_t* Release();
  void SetSize(int64_t size);
  // Makes room for `count` bytes at the current position and returns where they go; the
  // caller fills at most `count` bytes and then calls CommitWrite with how many it wrote.
  uint8_t* PrepareWrite(int64_t count);
  void CommitWrite(int64_t written);
  // Hints the final size so that growth does not copy; never shrinks.
  void Reserve(int64_t capacity);
  void LoadFromStream(TStream& source);
  void LoadFromFile(const std::string& fileName);

private:
  int64_t capacity_ = 0;
};

enum class TFileMode { fmOpenRead, fmCreate, fmOpenReadWrite, fmOpenWrite };

class TFileStream : public TStream {
public:
  TFileStream(const std::string& fileName, TFileMode mode);
  ~TFileStream() override;
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override;
  const std::string& FileName() const { return fileName_; }
  int Handle() const { return fd_; }

private:
  std::string fileName_;
  int fd_ = -1;
};

// The whole content of `stream` from offset 0: in place for a memory stream, otherwise read
// into `holder`. The span lives as long as both.
std::span<const uint8_t> WholeStream(TStream& stream, TMemoryStream& holder);

// Reads the whole file into memory. Throws EFOpenError or EReadError naming the file.
void ReadWholeFile(const std::string& fileName, TMemoryStream& target);
