#include "formats/WindowRule.h"

#include <algorithm>
#include <cctype>

std::string WindowExtension(const std::string& fileName) {
  const size_t slash = fileName.find_last_of('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = fileName.find_last_of('.');
  if (dot == std::string::npos || dot < nameStart) return {};
  std::string extension = fileName.substr(dot);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return extension;
}

bool ReadByBitmapItself(const std::string& fileName) {
  const std::string extension = WindowExtension(fileName);
  return !extension.empty() && std::string(kReadByBitmapMasks).find(extension) != std::string::npos;
}
