// Every core and no needless memory: BLZ save and load on one and on two threads, the command
// line as a whole process against gzip and lz4, and the command line's peak memory and
// start on a 24-megapixel picture.
#pragma once

#include "Measure.h"

#include <string>
#include <vector>

std::vector<TGoal> BenchCores(const std::string& folder, int scale);
