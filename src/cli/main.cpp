#include "cli/Cli.h"
#include "cli/Input.h"
#include "codec/LZRW1KH.h"
#include "io/ImageMemory.h"

#include <csignal>

int main(int argc, char** argv) {
  // Batch work allocates and frees image-sized buffers file after file: keep them.
  PrepareHeapForImages(size_t{256} << 20);
  // A reader that closes the pipe early makes a write fail, which ends with status 1.
  std::signal(SIGPIPE, SIG_IGN);
  LZRW1KHStartup();
  int status = RunCli(argc, argv);
  FinishInput();
  LZRW1KHShutdown();
  return status;
}
