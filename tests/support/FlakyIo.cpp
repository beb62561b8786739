// Makes a process's reads and writes short, now and then interrupted before they move a byte,
// as pipes, terminals and signals can make them: an I/O loop must still move every byte.
// Loaded with LD_PRELOAD. Only large transfers are interrupted: the C library's own buffered
// streams do not retry after EINTR, and they move a buffer of a few kilobytes at a time.
// VANTREL_FLAKY_IO_FROM_FD=3 leaves standard input, output and error alone (Python's own
// standard output does not survive short writes).
#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>

namespace {

std::atomic<unsigned> calls{0};

template <class F> F Next(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

// How much of `count` a call on `fd` moves; 0 for an interrupted call.
size_t Share(int fd, size_t count) {
  static const char* const from = std::getenv("VANTREL_FLAKY_IO_FROM_FD");
  if (from && fd < std::atoi(from)) return count;
  const unsigned call = calls.fetch_add(1, std::memory_order_relaxed);
  if (count >= 65536 && call % 5 == 0) return 0;
  const size_t most = 1 + call % 7;
  return count < most ? count : most;
}

} // namespace

extern "C" ssize_t read(int fd, void* buffer, size_t count) {
  static const auto next = Next<ssize_t (*)(int, void*, size_t)>("read");
  const size_t share = Share(fd, count);
  if (count > 0 && share == 0) return errno = EINTR, -1;
  return next(fd, buffer, share);
}

extern "C" ssize_t write(int fd, const void* buffer, size_t count) {
  static const auto next = Next<ssize_t (*)(int, const void*, size_t)>("write");
  const size_t share = Share(fd, count);
  if (count > 0 && share == 0) return errno = EINTR, -1;
  return next(fd, buffer, share);
}
