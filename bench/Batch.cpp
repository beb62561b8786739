#include "Batch.h"

#include "ImageKinds.h"
#include "PeerFiles.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

TGoal BenchBatch(const std::string& folder, int scale) {
  const TGoal failed{"batch pack of 40 mixed files: --jobs 2 / --jobs 1", -1, 1.7, "x"};
  // 800 × 600 pictures of every kind, 24-bit and 8-bit BMP and GIF files.
  const std::vector<TImageKind> kinds = MakeImageKinds(3 * scale);
  std::vector<std::string> inputs;
  for (int copy = 0; inputs.size() < 40; ++copy) {
    for (const TImageKind& kind : kinds) {
      const bool gif = kind.bitmap.BitsPerPixel() == 8 && copy % 2 == 1;
      const std::string file =
          folder + "/batch-" + std::to_string(inputs.size()) + (gif ? ".gif" : ".bmp");
      if (gif) {
        if (!WriteGif(kind.bitmap, file)) return failed;
      } else {
        kind.bitmap.SaveToFile(file);
      }
      inputs.push_back(file);
      if (inputs.size() == 40) break;
    }
  }
  const std::string out = folder + "/batch-out";
  std::filesystem::create_directories(out);
  auto wall = [&](int jobs) {
    std::vector<std::string> argv = {VANTREL_CLI,          "pack",      "--jobs",
                                     std::to_string(jobs), "--out-dir", out};
    argv.insert(argv.end(), inputs.begin(), inputs.end());
    std::vector<double> seconds;
    for (int i = 0; i < repetitions; ++i) {
      TProcessTimes times = RunProcess(argv);
      if (!times.succeeded) return -1.0;
      seconds.push_back(times.wall);
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
  };
  const double one = wall(1), two = wall(2);
  if (one < 0 || two < 0) return failed;
  std::printf("Batch: vantrel-cli pack of 40 mixed files, wall time, median of %d:\n"
              "  --jobs 1 %.3f s, --jobs 2 %.3f s\n\n",
              repetitions, one, two);
  return {failed.text, one / two, 1.7, "x"};
}
