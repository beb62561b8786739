// Plain reproducer: feeds every file named on the command line (folders are walked) to the
// fuzz target, without libFuzzer. Exits 0 when every input was handled without a crash.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

static void RunFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

int main(int argc, char** argv) {
  LLVMFuzzerInitialize(&argc, &argv);
  int count = 0;
  for (int i = 1; i < argc; ++i) {
    fs::path path(argv[i]);
    if (fs::is_directory(path)) {
      for (const auto& entry : fs::recursive_directory_iterator(path))
        if (entry.is_regular_file()) RunFile(entry.path()), ++count;
    } else if (fs::exists(path)) {
      RunFile(path), ++count;
    }
  }
  std::printf("replayed %d inputs\n", count);
  return 0;
}
