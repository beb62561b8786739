#include "Measure.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

int repetitions = 7;

double ThreadSeconds() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) + now.tv_nsec * 1e-9;
}

double WallSeconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return double(now.tv_sec) + now.tv_nsec * 1e-9;
}

namespace {

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

} // namespace

double Time(const std::function<void()>& work, double (*clock)()) {
  std::vector<double> seconds;
  for (int i = 0; i < repetitions; ++i) {
    double start = clock();
    work();
    seconds.push_back(clock() - start);
  }
  return Median(seconds);
}

TProcessTimes RunProcess(const std::vector<std::string>& argv, const std::string& output) {
  std::vector<char*> args;
  for (const std::string& arg : argv)
    args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO,
                                   output.empty() ? "/dev/null" : output.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  // The peers chatter on standard error about every file; a failure is reported by status.
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  TProcessTimes times;
  const double start = WallSeconds();
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return times;
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child) return times;
  times.wall = WallSeconds() - start;
  times.cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec * 1e-6 + usage.ru_stime.tv_sec +
              usage.ru_stime.tv_usec * 1e-6;
  times.succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return times;
}

double ProcessCpuSeconds(const std::vector<std::string>& argv, const std::string& output) {
  std::vector<double> seconds;
  for (int i = 0; i < repetitions; ++i) {
    TProcessTimes times = RunProcess(argv, output);
    if (!times.succeeded) {
      std::fprintf(stderr, "vantrel-bench: %s failed\n", argv[0].c_str());
      return -1;
    }
    seconds.push_back(times.cpu);
  }
  return Median(seconds);
}

bool HaveTool(const std::string& tool) {
  return RunProcess({"sh", "-c", "command -v " + tool}).succeeded;
}

void PrintGoal(const TGoal& goal) {
  const char* relation = goal.atMost ? "at most" : "need";
  if (goal.measured < 0) {
    std::printf("  %-62s %14s (%s %.2f%s)  NOT MEASURED\n", goal.text.c_str(), "-", relation,
                goal.needed, goal.unit.c_str());
    return;
  }
  const bool pass = goal.atMost ? goal.measured <= goal.needed : goal.measured >= goal.needed;
  std::printf("  %-62s %9.2f%-5s (%s %.2f%s)  %s\n", goal.text.c_str(), goal.measured,
              goal.unit.c_str(), relation, goal.needed, goal.unit.c_str(), pass ? "PASS" : "SHORT");
}
