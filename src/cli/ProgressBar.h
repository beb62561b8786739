// A batch's progress bar on standard error: files done, bytes, rate and time left, drawn
// once the batch has run about a second, and only on a terminal.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

class TProgressBar {
public:
  // `quietStart`: how long the batch runs before the bar shows.
  TProgressBar(size_t files, int64_t bytes, bool shown,
               std::chrono::milliseconds quietStart = std::chrono::seconds(1),
               std::FILE* to = stderr);
  // One more file done, of `bytes` bytes.
  void Step(int64_t bytes);
  // Clears the bar so that a message can take its line; the next step draws it again.
  void Clear();
  bool Shown() const { return shown_; }
  size_t FilesDone() const { return filesDone_; }

  // The bar's text after `seconds`, for a line `width` characters wide.
  static std::string Line(size_t filesDone, size_t files, int64_t bytesDone, int64_t bytes,
                          double seconds, int width);

private:
  using TClock = std::chrono::steady_clock;
  size_t files_, filesDone_ = 0;
  int64_t bytes_, bytesDone_ = 0;
  bool shown_, drawn_ = false;
  std::chrono::milliseconds quietStart_;
  std::FILE* to_;
  TClock::time_point start_ = TClock::now(), lastDraw_{};
};

// "1.5 MB", "320 kB", "12 bytes".
std::string ByteCount(int64_t bytes);
