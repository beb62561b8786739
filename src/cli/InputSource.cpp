#include "cli/InputSource.h"

#include "blz/BlzContainer.h"
#include "blz/UniBmp.h"
#include "cli/DescriptorStream.h"
#include "cli/Input.h"
#include "cli/Streaming.h"
#include "formats/FormatTable.h"
#include "io/Exceptions.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

constexpr const char* kStandardInputName = "standard input";

// Standard input as a seekable stream: the file itself when it is one (a redirection),
// otherwise its whole content read into memory.
std::unique_ptr<TStream> OpenStandardInput() {
  auto input = std::make_unique<TDescriptorStream>(STDIN_FILENO, kStandardInputName);
  if (IsRegularFile(STDIN_FILENO)) return input;
  auto held = std::make_unique<TMemoryStream>();
  constexpr int64_t kChunk = 1 << 20;
  for (;;) {
    uint8_t* to = held->PrepareWrite(kChunk);
    const int64_t got = input->Read(to, kChunk);
    held->CommitWrite(got);
    if (got < kChunk) break;
  }
  return held;
}

TBmpLayout LayoutOf(TStream& stream, bool* startsAsBmp = nullptr) {
  uint8_t head[std::max(blz::kStreamHeaderSize, blz::kPackedHeaderSize)] = {};
  stream.SetPosition(0);
  const size_t got = static_cast<size_t>(stream.Read(head, sizeof head));
  if (startsAsBmp) *startsAsBmp = got >= 2 && head[0] == 'B' && head[1] == 'M';
  return RecognizeLayout({head, got});
}

bool StartsAsBmpOrBlz(TStream& stream) {
  bool bmp = false;
  return LayoutOf(stream, &bmp) != TBmpLayout::Plain || bmp;
}

// The loader and the decoders read files by name: a copy of standard input's bytes in a
// temporary file without an extension, so that the loader probes its content.
class TTemporaryCopy {
public:
  explicit TTemporaryCopy(TStream& bytes) {
    const char* folder = std::getenv("TMPDIR");
    path_ = std::string(folder && *folder ? folder : "/tmp") + "/vantrel-cli-XXXXXX";
    const int fd = ::mkstemp(path_.data());
    if (fd < 0)
      throw EFCreateError("Cannot hold " + std::string(kStandardInputName) + " in \"" + path_ +
                          "\". " + std::strerror(errno));
    TDescriptorStream copy(fd, path_);
    try {
      bytes.SetPosition(0);
      copy.CopyFrom(bytes, bytes.Size());
    } catch (...) {
      ::close(fd);
      ::unlink(path_.c_str());
      throw;
    }
    ::close(fd);
  }
  ~TTemporaryCopy() { ::unlink(path_.c_str()); }
  const std::string& Path() const { return path_; }

private:
  std::string path_;
};

} // namespace

TInputSource::TInputSource(const std::string& name, const std::string& format)
    : name_(name), format_(format) {
  if (IsStandardInput()) {
    stream_ = OpenStandardInput();
    direct_ = format.empty() && StartsAsBmpOrBlz(*stream_);
  } else {
    stream_ = std::make_unique<TFileStream>(name, TFileMode::fmOpenRead);
    direct_ = ReadsDirectly(name, format);
  }
}

TInputSource::~TInputSource() = default;

void TInputSource::Read(TUniBitmap& target) {
  ReadPicture(target);
  if (target.Empty()) RefuseEmptyPicture(LayoutOf(*stream_) == TBmpLayout::PackedBitmap);
}

void TInputSource::ReadPicture(TUniBitmap& target) {
  if (direct_ && IsStandardInput()) {
    stream_->SetPosition(0);
    return target.LoadFromStream(*stream_);
  }
  // What the picture lost on its way in is said, one line each, under the name given.
  std::vector<std::string> notes;
  if (IsStandardInput()) {
    TTemporaryCopy copy(*stream_);
    ReadInput(copy.Path(), format_, target, &notes);
  } else {
    ReadInput(name_, format_, target, &notes);
  }
  for (const std::string& note : notes)
    std::fprintf(stderr, "vantrel-cli: %s: %s\n", name_.c_str(), note.c_str());
}
