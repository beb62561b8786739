// The command line's words, parsed into typed options; a usage error throws TUsageError.
#pragma once

#include "blz/BlzContainer.h"
#include "cli/OutputFormat.h"

#include <optional>
#include <string>
#include <vector>

struct TOptions {
  std::string command; // pack, unpack, convert, info, verify, thumbnail
  TBmpLayout layout = TBmpLayout::PackedBitmap;
  std::string format; // --format's canonical name; empty for the window's rule
  std::optional<TOutputFormat> to;
  std::string outDir;
  unsigned jobs = 0; // 0: one per core
  bool jobsGiven = false, recursive = false, quiet = false, json = false;
  std::vector<std::string> files;
};

// `argv` without the program's name is parsed; --help and --version are the caller's.
TOptions ParseOptions(int argc, char** argv);

// The usage shown by --help and after a usage error.
std::string Usage();
