// Timing, child processes and goal lines shared by the benchmark's parts.
#pragma once

#include <functional>
#include <string>
#include <vector>

// CPU time of this thread (page faults included): the machines are shared, and wall time
// would mostly measure the other processes.
double ThreadSeconds();
double WallSeconds();

// How many runs each figure is the median of.
extern int repetitions;

// Median seconds of `repetitions` runs of `work`, by `clock` (ThreadSeconds by default).
double Time(const std::function<void()>& work, double (*clock)() = ThreadSeconds);

struct TProcessTimes {
  bool succeeded = false; // started and exited with status 0
  double cpu = 0;         // user + system seconds of the child
  double wall = 0;
};

// Runs `argv` with standard output sent to `output` (or /dev/null) and waits for it.
TProcessTimes RunProcess(const std::vector<std::string>& argv, const std::string& output = {});

// Median CPU seconds of `repetitions` runs of `argv`; negative when a run failed.
double ProcessCpuSeconds(const std::vector<std::string>& argv, const std::string& output = {});

// Whether `tool` is found on PATH.
bool HaveTool(const std::string& tool);

struct TGoal {
  std::string text;
  double measured; // negative: could not be measured
  double needed;
  std::string unit;
  bool atMost = false; // the goal is measured <= needed
};

void PrintGoal(const TGoal& goal);
