// The batch command line on two cores: vantrel-cli pack --jobs 2 against --jobs 1.
#pragma once

#include "Measure.h"

#include <string>

// Writes 40 mixed pictures into `folder` and returns the wall-time speed-up of --jobs 2.
TGoal BenchBatch(const std::string& folder, int scale);
