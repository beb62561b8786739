// The command line's Qt-bound reading, built as a module of its own that the program loads
// only when a file needs it: a BMP or BLZ job then starts without loading Qt's libraries.
// Both sides are built together from this tree, so the table passes C++ types; exceptions
// thrown inside reach the caller as std::exception.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TInputModule {
  int version;
  // The input read as ReadInputWithQt reads it, as the bytes of a BMP image, and its notes.
  void (*read)(const std::string& fileName, const std::string& format, std::vector<uint8_t>& bmp,
               std::vector<std::string>& notes);
  // A BMP image's thumbnail as a PNG file.
  void (*thumbnail)(const std::vector<uint8_t>& bmp, int size, std::vector<uint8_t>& png);
  void (*prepareThreads)();
  void (*finish)();
};

constexpr int kInputModuleVersion = 3;
constexpr const char* kInputModuleEntry = "VantrelInputModule";
