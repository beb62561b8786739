#include "PeakMemory.h"

#include "io/Streams.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <unistd.h>

namespace {

// VmHWM of this process in bytes.
long long PeakResidentBytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.starts_with("VmHWM:")) return std::atoll(line.c_str() + 6) * 1024;
  return -1;
}

} // namespace

int PeakLoadMain(const char* fileName) {
  UniBmpStartup();
  const long long before = PeakResidentBytes();
  TUniBitmap loaded;
  // As the window's Control reads them: stream-layout files through their own reader.
  if (std::string(fileName).ends_with("-stream.blz"))
    loaded.LoadFromBLZFile(fileName);
  else
    loaded.LoadFromFile(fileName);
  const long long after = PeakResidentBytes();
  std::printf("%lld\n", after - before);
  return loaded.Empty() ? 1 : 0;
}

TGoal BenchPeakMemory(const std::vector<TImageKind>& kinds, const std::string& folder) {
  char self[4096] = {};
  if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return {"", -1, 3, "x", true};
  std::printf("Peak memory of a BLZ load (growth of the peak resident set, fresh process):\n");
  double worst = -1;
  for (const TImageKind& kind : kinds) {
    TMemoryStream bmp;
    kind.bitmap.SaveToStream(bmp);
    for (bool packed : {true, false}) {
      const std::string file = folder + "/peak" + (packed ? ".blz" : "-stream.blz");
      if (packed)
        kind.bitmap.SaveToPackedBmpFile(file);
      else
        kind.bitmap.SaveToBLZFile(file);
      const std::string output = folder + "/peak.txt";
      if (!RunProcess({self, "--peak-load", file}, output).succeeded) return {"", -1, 3, "x", true};
      std::ifstream in(output);
      long long grown = -1;
      in >> grown;
      const double times = double(grown) / double(bmp.Size());
      std::printf("  %-21s %-14s BMP image %6.1f MB   peak growth %6.1f MB   %.2fx\n",
                  kind.name.c_str(), packed ? "packed bitmap" : "BLZ stream", bmp.Size() / 1e6,
                  grown / 1e6, times);
      worst = std::max(worst, times);
    }
  }
  std::printf("\n");
  return {"BLZ load, peak memory growth / BMP image size (worst)", worst, 3, "x", true};
}
