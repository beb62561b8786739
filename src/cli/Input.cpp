#include "cli/Input.h"

#include "bitmap/UniBmp.h"
#include "graphics/Exceptions.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array kFormats = {"bmp", "blz", "gif", "pcx", "lbm",
                                 "clp", "ico", "wmf", "emf", "jpeg"};

std::string UpperExtension(const std::string& fileName) {
  auto slash = fileName.rfind('/');
  std::string name = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
  auto dot = name.rfind('.');
  if (dot == std::string::npos) return {};
  std::string ext = name.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return std::toupper(c); });
  return ext;
}

} // namespace

bool IsKnownFormat(const std::string& format) {
  return format.empty() || std::find(kFormats.begin(), kFormats.end(), format) != kFormats.end();
}

void ReadInput(const std::string& fileName, const std::string& format, TUniBitmap& target) {
  if (format == "bmp" || format == "blz") {
    target.LoadFromFile(fileName);
    return;
  }
  if (!format.empty()) throw Exception("reading " + format + " files is not supported yet");
  std::string ext = UpperExtension(fileName);
  if (!ext.empty() && std::string("*.BMP;*.DIB;*.BLZ").find(ext) != std::string::npos) {
    target.LoadFromFile(fileName);
    return;
  }
  throw Exception("Not Known Format");
}
