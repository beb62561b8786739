// Runs one job per input on several threads, with a progress bar on a terminal.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TProgressBar;

// Calls `job` for every input, `jobs` at a time (0 = one per core). A job reports failure by
// throwing; its message is printed as "vantrel-cli: INPUT: MESSAGE". `progress`, when given,
// steps once per input by `inputBytes[i]` (0 when absent). Returns the number of failed
// inputs.
size_t RunBatch(const std::vector<std::string>& inputs, unsigned jobs,
                const std::function<void(const std::string&)>& job,
                TProgressBar* progress = nullptr, const std::vector<int64_t>& inputBytes = {});
