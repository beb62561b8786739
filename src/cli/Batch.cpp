#include "cli/Batch.h"

#include <atomic>
#include <cstdio>
#include <exception>
#include <mutex>
#include <thread>
#include <unistd.h>

size_t RunBatch(const std::vector<std::string>& inputs, unsigned jobs,
                const std::function<void(const std::string&)>& job) {
  if (jobs == 0) jobs = std::max(1u, std::thread::hardware_concurrency());
  jobs = std::min<unsigned>(jobs, static_cast<unsigned>(std::max<size_t>(inputs.size(), 1)));
  const bool showProgress = inputs.size() > 1 && isatty(STDERR_FILENO);

  std::atomic<size_t> next{0}, done{0}, failed{0};
  std::mutex output;
  auto worker = [&] {
    for (size_t i; (i = next++) < inputs.size();) {
      std::string message;
      try {
        job(inputs[i]);
      } catch (const std::exception& e) {
        message = e.what();
      }
      std::lock_guard lock(output);
      if (!message.empty()) {
        ++failed;
        std::fprintf(stderr, "%svantrel-cli: %s: %s\n", showProgress ? "\r\033[K" : "",
                     inputs[i].c_str(), message.c_str());
      }
      ++done;
      if (showProgress)
        std::fprintf(stderr, "\r\033[K[%zu/%zu] %s", done.load(), inputs.size(), inputs[i].c_str());
    }
  };
  std::vector<std::thread> threads;
  for (unsigned t = 1; t < jobs; ++t)
    threads.emplace_back(worker);
  worker();
  for (auto& t : threads)
    t.join();
  if (showProgress) std::fprintf(stderr, "\r\033[K");
  return failed;
}
