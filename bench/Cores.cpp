#include "Cores.h"

#include "ImageKinds.h"

#include "blz/BlockPool.h"
#include "io/ImageMemory.h"
#include "io/Streams.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>

namespace {

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? -1 : values[values.size() / 2];
}

// As hyperfine measures a command: one warm-up run, then the median wall time of the runs.
// Negative when a run failed.
double ProcessWall(const std::vector<std::string>& argv, const std::string& output = {}) {
  if (!RunProcess(argv, output).succeeded) return -1;
  std::vector<double> seconds;
  for (int i = 0; i < repetitions; ++i) {
    const TProcessTimes times = RunProcess(argv, output);
    if (!times.succeeded) return -1;
    seconds.push_back(times.wall);
  }
  return Median(seconds);
}

// The peak resident set of a command, as GNU time reports it. (A child spawned from this
// process starts in a copy of its memory, whose peak the kernel would count as the child's.)
double PeakBytes(const std::vector<std::string>& argv, const std::string& folder) {
  const std::string report = folder + "/peak.txt";
  std::vector<std::string> timed = {"/usr/bin/time", "-f", "%M", "-o", report};
  timed.insert(timed.end(), argv.begin(), argv.end());
  if (!RunProcess(timed).succeeded) return -1;
  std::ifstream in(report);
  double kilobytes = -1;
  in >> kilobytes;
  return kilobytes < 0 ? -1 : kilobytes * 1024;
}

double Ratio(double slower, double faster) {
  return slower < 0 || faster <= 0 ? -1 : slower / faster;
}

double ProcessSeconds() {
  timespec now;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return double(now.tv_sec) + now.tv_nsec * 1e-9;
}

// Wall time (or CPU time of all threads) of a save or a load through TUniBitmap on `threads`
// threads. The save goes into a stream with room for it, as a file's gathering buffer would
// take it, so that the stream's growth is not timed.
double SaveLoad(const TUniBitmap& bitmap, bool load, unsigned threads, TMemoryStream& saved,
                double (*clock)()) {
  blocks::SetThreads(threads);
  const double seconds = Time(
      [&] {
        if (load) {
          TUniBitmap loaded;
          TReadOnlyMemoryStream in(saved.Bytes());
          loaded.LoadFromStream(in);
        } else {
          TMemoryStream out;
          out.Reserve(saved.Size());
          bitmap.SaveToPackedBmpStream(out);
        }
      },
      clock);
  blocks::SetThreads(0);
  return seconds;
}

std::vector<TGoal> ThreadGoals(int scale) {
  std::vector<TGoal> goals;
  // As the window and the command line keep image-sized buffers once freed, so does this
  // process: the threads' figures are then the coding's, not the first touch of fresh pages.
  PrepareHeapForImages(size_t{768} << 20);
  std::printf("BLZ save and load through TUniBitmap, 6000 x 4000 / %d, wall time, median of %d:\n",
              scale, repetitions);
  for (bool photo : {true, false}) {
    const char* name = photo ? "photo" : "screenshot";
    const TUniBitmap bitmap =
        photo ? MakePhoto(6000 / scale, 4000 / scale) : MakeScreenshot(6000 / scale, 4000 / scale);
    TMemoryStream one, two;
    blocks::SetThreads(1);
    bitmap.SaveToPackedBmpStream(one);
    blocks::SetThreads(2);
    bitmap.SaveToPackedBmpStream(two);
    blocks::SetThreads(0);
    const bool same = one.Size() == two.Size() && std::ranges::equal(one.Bytes(), two.Bytes());
    for (bool load : {false, true}) {
      const double t1 = SaveLoad(bitmap, load, 1, one, WallSeconds);
      const double t2 = SaveLoad(bitmap, load, 2, one, WallSeconds);
      const double cpu1 = SaveLoad(bitmap, load, 1, one, ProcessSeconds);
      const double cpu2 = SaveLoad(bitmap, load, 2, one, ProcessSeconds);
      std::printf("  %-10s %-4s 1 thread %7.1f ms   2 threads %7.1f ms   %.2fx   CPU of all "
                  "threads %7.1f / %7.1f ms%s\n",
                  name, load ? "load" : "save", t1 * 1e3, t2 * 1e3, t1 / t2, cpu1 * 1e3, cpu2 * 1e3,
                  same ? "" : "   BYTES DIFFER");
      goals.push_back({std::string(load ? "load " : "save ") + name +
                           " 24 MP, 2 threads / 1 thread, same bytes",
                       same ? t1 / t2 : -1, 1.7, "x"});
    }
  }
  std::printf("\n");
  return goals;
}

std::vector<TGoal> ProcessGoals(const std::string& folder, int scale) {
  std::vector<TGoal> goals;
  const bool haveLz4 = HaveTool("lz4");
  std::printf("Whole processes, wall time, one warm-up and the median of %d:\n", repetitions);
  double unpackWorst = -1;
  for (bool photo : {false, true}) {
    const char* name = photo ? "photo" : "screenshot";
    const std::string bmp = folder + "/" + name + ".bmp", blz = folder + "/" + name + ".blz",
                      gz = folder + "/" + name + ".bmp.gz", back = folder + "/back.bmp";
    (photo ? MakePhoto(3000 / scale, 2000 / scale) : MakeScreenshot(2400 / scale, 1600 / scale))
        .SaveToFile(bmp);
    const double pack = ProcessWall({VANTREL_CLI, "pack", bmp, blz});
    const double unpack = ProcessWall({VANTREL_CLI, "unpack", blz, back});
    const double gzip = ProcessWall({"gzip", "-6", "-c", bmp}, gz);
    const double gunzip = ProcessWall({"gzip", "-d", "-c", gz}, back);
    const double lz4 = haveLz4 ? ProcessWall({"lz4", "-1", "-c", bmp}, blz + ".lz4") : -1;
    std::printf("  %-10s pack %6.1f ms  gzip -6 %6.1f ms  lz4 -1 %6.1f ms  unpack %6.1f ms  "
                "gunzip %6.1f ms\n",
                name, pack * 1e3, gzip * 1e3, lz4 * 1e3, unpack * 1e3, gunzip * 1e3);
    goals.push_back({std::string("pack ") + name + " / gzip -6, whole process", Ratio(gzip, pack),
                     photo ? 12.0 : 4.5, "x"});
    if (!photo)
      goals.push_back({"pack screenshot / lz4 -1, whole process", Ratio(lz4, pack), 1.0, "x"});
    const double u = Ratio(gunzip, unpack);
    unpackWorst = unpackWorst < 0 ? u : std::min(unpackWorst, u);
  }
  goals.push_back({"unpack / gunzip, whole process (worse kind)", unpackWorst, 2.0, "x"});
  std::printf("\n");
  return goals;
}

std::vector<TGoal> MemoryGoals(const std::string& folder, int scale) {
  std::vector<TGoal> goals;
  const std::string bmp = folder + "/big.bmp", blz = folder + "/big.blz",
                    back = folder + "/big-back.bmp";
  MakePhoto(6000 / scale, 4000 / scale).SaveToFile(bmp);
  if (!RunProcess({VANTREL_CLI, "pack", bmp, blz}).succeeded || !HaveTool("/usr/bin/time"))
    return {{"pack, unpack, verify of a 72 MB BMP image: peak growth", -1, 32, " MB", true}};
  const double start = PeakBytes({VANTREL_CLI, "--version"}, folder);
  std::printf("Command line on a 6000 x 4000 / %d BMP image, peak resident set (--version: %.1f "
              "MB):\n",
              scale, start / 1e6);
  const struct {
    const char* name;
    std::vector<std::string> argv;
  } commands[] = {
      {"pack", {VANTREL_CLI, "pack", bmp, blz + "2"}},
      {"unpack", {VANTREL_CLI, "unpack", blz, back}},
      {"verify BLZ", {VANTREL_CLI, "verify", blz}},
      {"verify BMP", {VANTREL_CLI, "verify", bmp}},
  };
  double worst = 0;
  for (const auto& command : commands) {
    const double peak = PeakBytes(command.argv, folder);
    const double grown = peak < 0 || start < 0 ? -1 : (peak - start) / 1e6;
    std::printf("  %-12s peak %6.1f MB   growth %6.1f MB\n", command.name, peak / 1e6, grown);
    worst = grown < 0 || worst < 0 ? -1 : std::max(worst, grown);
  }
  goals.push_back(
      {"pack, unpack, verify of a 72 MB BMP image: peak growth", worst, 32, " MB", true});
  const double infoPeak = PeakBytes({VANTREL_CLI, "info", blz}, folder);
  const double infoWall = ProcessWall({VANTREL_CLI, "info", blz});
  const double versionWall = ProcessWall({VANTREL_CLI, "--version"});
  std::printf("  %-12s peak %6.1f MB   %.2f ms (--version %.2f ms)\n\n", "info", infoPeak / 1e6,
              infoWall * 1e3, versionWall * 1e3);
  goals.push_back({"info of it, whole process, ms", infoWall * 1e3, 5, "", true});
  goals.push_back({"info of it, peak resident set", infoPeak / 1e6, 16, " MB", true});
  return goals;
}

} // namespace

std::vector<TGoal> BenchCores(const std::string& folder, int scale) {
  std::vector<TGoal> goals = ThreadGoals(scale);
  for (const std::vector<TGoal>& more : {ProcessGoals(folder, scale), MemoryGoals(folder, scale)})
    goals.insert(goals.end(), more.begin(), more.end());
  return goals;
}
