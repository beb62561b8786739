#include "cli/Input.h"

#include "import/FormatReader.h"

#include <algorithm>
#include <array>

namespace {
constexpr std::array kFormats = {"bmp", "blz", "gif", "pcx", "lbm", "clp",
                                 "ico", "wmf", "emf", "jpeg"};
} // namespace

bool IsKnownFormat(const std::string& format) {
  return format.empty() || std::find(kFormats.begin(), kFormats.end(), format) != kFormats.end();
}

void ReadInput(const std::string& fileName, const std::string& format, TUniBitmap& target) {
  if (!format.empty()) {
    LoadByFormat(format, fileName, target);
    return;
  }
  // Batch work reads on several threads: each keeps its own loader, as the window keeps one.
  thread_local TImageLoader loader;
  LoadAsWindowDoes(fileName, target, loader);
}
