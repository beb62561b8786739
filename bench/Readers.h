// The readers against their peers on the same large picture: GIF against giflib, PCX and LBM
// as whole processes against netpbm, BMP against Qt's reader.
#pragma once

#include "ImageKinds.h"
#include "Measure.h"

#include <string>
#include <vector>

// Writes the test files into `folder` and prints a table; returns one goal per reader.
std::vector<TGoal> BenchReaders(const std::vector<TImageKind>& kinds, const std::string& folder);
