#include "cli/StreamToStandardOutput.h"

#include "cli/OutputTarget.h"
#include "io/Exceptions.h"

#include <algorithm>
#include <cstring>

namespace streaming {

namespace {

// A damaged input can send the piecewise path back to the whole picture after rows went
// out. Standard output then takes them back when it is a regular file; a pipe keeps them, and
// the whole-picture path's bytes go on after them, once the piecewise path is seen to give
// the same first bytes again.
class TComparingSink : public TStream {
public:
  TComparingSink(std::span<const uint8_t> expected, int64_t length)
      : expected_(expected), length_(length) {}
  int64_t Read(void*, int64_t) override { return 0; }
  int64_t Seek(int64_t, TSeekOrigin) override { return at_; }
  int64_t Write(const void* buffer, int64_t count) override {
    const int64_t checked = std::min(count, std::max<int64_t>(length_ - at_, 0));
    if (checked > 0 && (at_ + checked > int64_t(expected_.size()) ||
                        std::memcmp(expected_.data() + at_, buffer, size_t(checked)) != 0))
      same_ = false;
    at_ += count;
    return count;
  }
  bool Same() const { return same_ && at_ >= length_; }

private:
  std::span<const uint8_t> expected_;
  int64_t length_, at_ = 0;
  bool same_ = true;
};

} // namespace

TPath UnpackToStandardOutput(TStream& input) {
  TStandardOutput out;
  if (StreamUnpack(input, out) == TPath::Streamed) {
    out.Flush();
    return TPath::Streamed;
  }
  if (out.TakeBack()) return TPath::Whole;
  TUniBitmap whole;
  input.SetPosition(0);
  whole.LoadFromStream(input);
  TMemoryStream bytes;
  whole.SaveToStream(bytes);
  TComparingSink sent(bytes.Bytes(), out.Sent());
  StreamUnpack(input, sent);
  if (!sent.Same())
    throw EWriteError("The damaged input's first bytes already went to standard output");
  out.WriteBuffer(bytes.Memory() + out.Sent(), bytes.Size() - out.Sent());
  out.Flush();
  return TPath::Streamed;
}

} // namespace streaming
