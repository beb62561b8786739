#include "cli/BatchPlan.h"

#include "formats/FormatTable.h"

#include <algorithm>
#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace {

struct TPlanner {
  TBatchPlan plan;
  std::map<fs::path, std::string> writers; // output → the input that writes it
  fs::path outDir;
  std::string extension;

  void Add(const fs::path& input, const fs::path& relative) {
    fs::path output = outDir / relative.parent_path() / relative.stem();
    output += "." + extension;
    output = output.lexically_normal();
    std::error_code error;
    const auto size = fs::file_size(input, error);
    const auto [at, fresh] = writers.emplace(output, input.string());
    if (!fresh) {
      plan.refused.emplace_back(input.string(), "would write " + output.string() + ", which " +
                                                    at->second + " writes");
      return;
    }
    plan.items.push_back({input.string(), output.string(), error ? 0 : int64_t(size)});
  }

  void AddFolder(const fs::path& folder, bool recursive) {
    std::vector<fs::path> files;
    const auto take = [&](const fs::directory_entry& entry) {
      if (!entry.is_regular_file()) return;
      const std::string name = entry.path().filename().string();
      if (HasKnownExtension(name) || HasStockReaderExtension(name))
        files.push_back(entry.path());
      else
        ++plan.skipped;
    };
    const auto options = fs::directory_options::skip_permission_denied;
    if (recursive)
      for (const auto& entry : fs::recursive_directory_iterator(folder, options))
        take(entry);
    else
      for (const auto& entry : fs::directory_iterator(folder, options))
        take(entry);
    // The order of a folder's entries is the file system's: sorted, the same input is
    // always the one refused.
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files)
      Add(file, file.lexically_relative(folder));
  }
};

} // namespace

TBatchPlan PlanBatch(const std::vector<std::string>& inputs, const std::string& outDir,
                     bool recursive, const std::string& extension) {
  TPlanner planner;
  planner.outDir = outDir;
  planner.extension = extension;
  for (const std::string& input : inputs) {
    std::error_code error;
    if (fs::is_directory(input, error)) {
      try {
        planner.AddFolder(input, recursive);
      } catch (const fs::filesystem_error& e) {
        planner.plan.refused.emplace_back(input, e.code().message());
      }
    } else {
      planner.Add(input, fs::path(input).filename());
    }
  }
  return planner.plan;
}
