// The image loader on arbitrary file contents: every attempt must fail cleanly or load. The
// bytes go to one file per process, under an extension no row knows, so all probes run.
#include "graphics/Exceptions.h"
#include "import/SLoadImg.h"

#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string fileName =
      "/tmp/vantrel-loader-fuzz-" + std::to_string(getpid()) + ".dat";
  if (FILE* f = std::fopen(fileName.c_str(), "wb")) {
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
  } else {
    return 0;
  }
  TImageLoader loader;
  try {
    loader.tryLoadImageFile(fileName);
  } catch (const Exception&) {
  }
  std::remove(fileName.c_str());
  return 0;
}
