#include "app/ImageFileReader.h"

#include "app/PhaseTimer.h"
#include "blz/UniBmp.h"

#include <sys/stat.h>

namespace {
// What ReadWholeFile asks for beyond the file's size.
constexpr int64_t kReadSlack = 1 << 16;
} // namespace

void TImageFileReader::Load(TUniBitmap& bitmap, const std::string& fileName, TPhaseTimer& timer) {
  // Room to spare, so that the saved file read back after a picture that did not compress
  // (a little larger than its source) still fits where the source was.
  struct stat info {};
  if (::stat(fileName.c_str(), &info) == 0) {
    const int64_t needed = info.st_size + kReadSlack;
    if (needed > reserved_) {
      reserved_ = needed + needed / 16 + (1 << 20);
      contents_.Reserve(reserved_);
    }
  }
  ReadWholeFile(fileName, contents_);
  timer.Mark("read");
  // Either BLZ layout expands its records on every core straight into the bitmap's rows where
  // it can; the file's buffer is kept for the next read.
  const bool plain = RecognizeLayout(contents_.Bytes()) == TBmpLayout::Plain;
  bitmap.LoadFromStream(contents_);
  timer.Mark(plain ? "decode" : "expand");
}
