// Which files a batch reads and the name each one writes under the output folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TBatchItem {
  std::string input, output;
  int64_t inputBytes = 0;
};

struct TBatchPlan {
  std::vector<TBatchItem> items;
  // Inputs refused before any work, with the reason (a name another input writes already).
  std::vector<std::pair<std::string, std::string>> refused;
  size_t skipped = 0; // files in a folder whose extension names no format the loader knows
};

// Files named are taken as they are; in a folder (its subfolders too when `recursive`) only
// files with an extension the loader knows. Each writes OUT/<path under its folder>/<name
// without its extension>.<extension>; the second input that would write a name already
// planned is refused, so no output overwrites another.
TBatchPlan PlanBatch(const std::vector<std::string>& inputs, const std::string& outDir,
                     bool recursive, const std::string& extension);
