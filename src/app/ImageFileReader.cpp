#include "app/ImageFileReader.h"

#include "app/PhaseTimer.h"
#include "bitmap/UniBmp.h"

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
  if (RecognizeLayout(contents_.Bytes()) == TBmpLayout::Plain) {
    bitmap.LoadFromStream(contents_);
    timer.Mark("decode");
    return;
  }
  // What TUniBitmap::LoadFromStream does with either BLZ layout, with the file let go once
  // its records are expanded: the new bitmap then takes the file's memory.
  image_.SetSize(0);
  image_.SetPosition(0);
  const TBlzContents restored = RestoreBmpImage(contents_.Bytes(), image_);
  contents_.Clear();
  reserved_ = 0;
  timer.Mark("expand");
  if (!restored.restored) return; // a packed bitmap without its size: nothing is loaded
  // The bitmap takes the expanded image's memory over where it can: no fresh image-sized
  // buffer, and the old picture's memory is left for the next read.
  bitmap.LoadFromBmpImage(image_);
  timer.Mark("decode");
}
