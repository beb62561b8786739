#include "cli/ProgressBar.h"

#include <algorithm>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr auto kRedraw = std::chrono::milliseconds(100);

int TerminalWidth(std::FILE* to) {
  winsize size{};
  if (ioctl(fileno(to), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

std::string Duration(double seconds) {
  const long whole = static_cast<long>(seconds + 0.5);
  char text[32];
  if (whole >= 3600)
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
  else
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
  return text;
}

} // namespace

std::string ByteCount(int64_t bytes) {
  char text[32];
  if (bytes >= 1000000)
    std::snprintf(text, sizeof text, "%.1f MB", double(bytes) / 1e6);
  else if (bytes >= 1000)
    std::snprintf(text, sizeof text, "%.0f kB", double(bytes) / 1e3);
  else
    std::snprintf(text, sizeof text, "%lld bytes", static_cast<long long>(bytes));
  return text;
}

TProgressBar::TProgressBar(size_t files, int64_t bytes, bool shown,
                           std::chrono::milliseconds quietStart, std::FILE* to)
    : files_(files), bytes_(bytes), shown_(shown), quietStart_(quietStart), to_(to) {}

std::string TProgressBar::Line(size_t filesDone, size_t files, int64_t bytesDone, int64_t bytes,
                               double seconds, int width) {
  const double rate = seconds > 0 ? double(bytesDone) / seconds : 0;
  const double done = bytes > 0 ? double(bytesDone) / double(bytes)
                                : double(filesDone) / double(std::max<size_t>(files, 1));
  std::string figures;
  figures.append(" ").append(std::to_string(filesDone)).append("/").append(std::to_string(files));
  figures.append(" files  ").append(ByteCount(bytesDone)).append("/").append(ByteCount(bytes));
  figures.append("  ").append(ByteCount(static_cast<int64_t>(rate))).append("/s");
  if (rate > 0 && bytesDone < bytes)
    figures.append("  ").append(Duration(double(bytes - bytesDone) / rate)).append(" left");
  const int room = std::clamp(width - 3 - int(figures.size()), 0, 30);
  const int filled = std::clamp(static_cast<int>(done * room + 0.5), 0, room);
  std::string line;
  if (room) line.append("[").append(filled, '#').append(room - filled, '.').append("]");
  line += figures;
  return line.substr(0, size_t(std::max(width - 1, 0)));
}

void TProgressBar::Step(int64_t bytes) {
  ++filesDone_;
  bytesDone_ += bytes;
  if (!shown_) return;
  const TClock::time_point now = TClock::now();
  if (now - start_ < quietStart_ || (drawn_ && now - lastDraw_ < kRedraw)) return;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  std::fprintf(to_, "\r\033[K%s",
               Line(filesDone_, files_, bytesDone_, bytes_, seconds, TerminalWidth(to_)).c_str());
  std::fflush(to_);
  drawn_ = true;
  lastDraw_ = now;
}

void TProgressBar::Clear() {
  if (!drawn_) return;
  std::fprintf(to_, "\r\033[K");
  drawn_ = false;
}
