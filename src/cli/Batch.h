// Runs one job per input on several threads, with a progress line on a terminal.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Calls `job` for every input, `jobs` at a time (0 = one per core). A job reports failure by
// throwing; its message is printed as "vantrel-cli: INPUT: MESSAGE". Returns the number of
// failed inputs.
size_t RunBatch(const std::vector<std::string>& inputs, unsigned jobs,
                const std::function<void(const std::string&)>& job);
