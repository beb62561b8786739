// Peak memory of loading a BLZ file, measured in a fresh process so that nothing the
// benchmark allocated before counts.
#pragma once

#include "ImageKinds.h"
#include "Measure.h"

#include <string>
#include <vector>

// The child's side (vantrel-bench --peak-load FILE): loads FILE as the window's Control does
// (a name ending in -stream.blz in the BLZ stream layout) and prints the growth of the peak
// resident set in bytes.
int PeakLoadMain(const char* fileName);

// Saves kinds in both layouts into `folder`, loads each in a child and returns one goal: the
// largest peak growth as a multiple of the BMP image's size.
TGoal BenchPeakMemory(const std::vector<TImageKind>& kinds, const std::string& folder);
