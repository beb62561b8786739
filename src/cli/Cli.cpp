#include "cli/Cli.h"

#include "cli/Batch.h"
#include "cli/BatchPlan.h"
#include "cli/Commands.h"
#include "cli/InfoJson.h"
#include "cli/Input.h"
#include "cli/Options.h"
#include "cli/OutputTarget.h"
#include "cli/ProgressBar.h"
#include "cli/Streaming.h"
#include "cli/UsageError.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>
#include <unordered_map>
#include <vector>

#ifndef VANTREL_VERSION
#define VANTREL_VERSION "0"
#endif

namespace {

namespace fs = std::filesystem;

// Runs `job` for each file and prints the line it returns, if any; returns the exit status.
int ForEach(const std::vector<std::string>& files,
            const std::function<std::string(const std::string&)>& job) {
  int status = 0;
  for (const auto& file : files) {
    try {
      std::string line = job(file);
      if (!line.empty()) std::printf("%s\n", line.c_str());
    } catch (const std::exception& e) {
      std::fprintf(stderr, "vantrel-cli: %s: %s\n", file.c_str(), e.what());
      status = 1;
    }
  }
  return status;
}

int64_t SizeOf(const std::string& file) {
  std::error_code error;
  const auto size = fs::file_size(file, error);
  return error ? 0 : int64_t(size);
}

// How long a batch runs before its progress bar shows: a second, unless the environment
// says otherwise (VANTREL_PROGRESS_AFTER_MS, which the tests set to 0).
std::chrono::milliseconds ProgressQuietStart() {
  const char* value = std::getenv("VANTREL_PROGRESS_AFTER_MS");
  return std::chrono::milliseconds(value ? std::atol(value) : 1000);
}

int RunBatchCommand(const TOptions& o) {
  // A missing output folder is made, as `mkdir -p` would; a file of that name is refused.
  std::error_code ignored;
  fs::create_directories(o.outDir, ignored);
  if (!fs::is_directory(o.outDir)) throw TUsageError{"--out-dir " + o.outDir + " is not a folder"};
  if (std::find(o.files.begin(), o.files.end(), "-") != o.files.end())
    throw TUsageError{"standard input cannot be part of a batch: name the files"};
  const bool convert = o.command == "convert";
  if (convert && !o.to) throw TUsageError{"convert --out-dir needs --to FMT"};
  const TOutputFormat format = convert ? *o.to : TOutputFormat::Blz;
  // pack names its outputs as Quick Save does.
  const std::string extension = convert ? std::string(OutputFormatName(format)) : "BLZ";
  const TBatchPlan plan = PlanBatch(o.files, o.outDir, o.recursive, extension);
  for (const auto& [input, reason] : plan.refused)
    std::fprintf(stderr, "vantrel-cli: %s: %s\n", input.c_str(), reason.c_str());

  std::vector<std::string> inputs;
  std::vector<int64_t> bytes;
  int64_t totalBytes = 0;
  for (const TBatchItem& item : plan.items) {
    inputs.push_back(item.input);
    bytes.push_back(item.inputBytes);
    totalBytes += item.inputBytes;
  }
  if (o.jobs != 1 && std::any_of(inputs.begin(), inputs.end(),
                                 [&](const std::string& f) { return !ReadsDirectly(f, o.format); }))
    PrepareInputForThreads();
  TProgressBar progress(inputs.size(), totalBytes, !o.quiet && isatty(STDERR_FILENO),
                        ProgressQuietStart());
  // The plan writes each output from one input only.
  std::unordered_map<std::string, std::string> outputOf;
  for (const TBatchItem& item : plan.items)
    outputOf[item.input] = item.output;
  const size_t failed = RunBatch(
      inputs, o.jobs,
      [&](const std::string& input) {
        const std::string& output = outputOf.at(input);
        fs::create_directories(fs::path(output).parent_path());
        Convert(o, format, input, output);
      },
      &progress, bytes);

  int64_t bytesOut = 0;
  for (const TBatchItem& item : plan.items)
    bytesOut += SizeOf(item.output);
  const size_t failures = failed + plan.refused.size();
  if (!o.quiet)
    std::fprintf(
        stderr, "vantrel-cli: %zu file%s, %zu written, %zu failed, %zu skipped; %s in, %s out\n",
        inputs.size() + plan.refused.size(), inputs.size() + plan.refused.size() == 1 ? "" : "s",
        inputs.size() - failed, failures, plan.skipped, ByteCount(totalBytes).c_str(),
        ByteCount(bytesOut).c_str());
  return failures ? 1 : 0;
}

int Run(const TOptions& o) {
  auto need = [&](bool ok) {
    if (!ok) throw TUsageError{"wrong number of arguments for " + o.command};
  };
  const bool writes = o.command == "pack" || o.command == "unpack" || o.command == "convert";
  if (!o.outDir.empty()) {
    if (o.command != "pack" && o.command != "convert")
      throw TUsageError{"--out-dir is for pack and convert"};
    need(!o.files.empty());
    return RunBatchCommand(o);
  }
  if (o.jobsGiven || o.recursive) throw TUsageError{"--jobs and -r need --out-dir"};
  if (writes) {
    need(o.files.size() == 2);
    const std::string &input = o.files[0], &output = o.files[1];
    TOutputFormat format = TOutputFormat::Bmp;
    if (o.command == "convert")
      format = ConvertFormat(o, output);
    else
      CheckOutputName(o.command, output);
    CheckBinaryOutput(output);
    return ForEach({input}, [&](const std::string&) {
      if (o.command == "pack")
        Pack(o, input, output);
      else if (o.command == "unpack")
        Unpack(o, input, output);
      else
        Convert(o, format, input, output);
      return std::string();
    });
  }
  if (o.command == "info") {
    need(!o.files.empty());
    if (!o.json) return ForEach(o.files, [](const std::string& f) { return InfoLine(f, Info(f)); });
    TInfoJson json;
    int status = 0;
    for (const std::string& file : o.files) {
      try {
        json.Add(file, Info(file));
      } catch (const std::exception& e) {
        json.AddError(file, e.what());
        status = 1;
      }
    }
    std::printf("%s\n", json.Text().c_str());
    return status;
  }
  if (o.command == "verify") return need(!o.files.empty()), ForEach(o.files, Verify);
  need(o.files.size() == 3); // thumbnail
  CheckBinaryOutput(o.files[1]);
  return ForEach({o.files[0]}, [&](const std::string& input) {
    Thumbnail(input, o.files[1], o.files[2]);
    return std::string();
  });
}

int UsageFailure(const std::string& message) {
  std::fprintf(stderr, "vantrel-cli: %s\n%s", message.c_str(), Usage().c_str());
  return 2;
}

// Text on standard output (info and verify lines, the usage) must have arrived: a full disk or
// a closed descriptor fails the run, as it does for a picture written there.
int TextOutputStatus(int status) {
  const int error = std::fflush(stdout) == 0 ? 0 : errno;
  if (!error && !std::ferror(stdout)) return status;
  std::fprintf(stderr, "vantrel-cli: Cannot write standard output. %s\n",
               std::strerror(error ? error : EIO));
  std::clearerr(stdout);
  return status == 0 ? 1 : status;
}

int RunCommand(int argc, char** argv) {
  const std::string first = argc >= 2 ? argv[1] : "";
  if (first == "--help" || first == "-h") {
    std::fputs(Usage().c_str(), stdout);
    return 0;
  }
  if (first == "--version") {
    std::printf("vantrel-cli %s\n", VANTREL_VERSION);
    return 0;
  }
  try {
    return Run(ParseOptions(argc - 1, argv + 1));
  } catch (const TUsageError& e) {
    return UsageFailure(e.message);
  }
}

} // namespace

int RunCli(int argc, char** argv) {
  return TextOutputStatus(RunCommand(argc, argv));
}
