#include "cli/Batch.h"

#include "cli/ProgressBar.h"

#include <atomic>
#include <cstdio>
#include <exception>
#include <mutex>
#include <thread>

size_t RunBatch(const std::vector<std::string>& inputs, unsigned jobs,
                const std::function<void(const std::string&)>& job, TProgressBar* progress,
                const std::vector<int64_t>& inputBytes) {
  if (jobs == 0) jobs = std::max(1u, std::thread::hardware_concurrency());
  jobs = std::min<unsigned>(jobs, static_cast<unsigned>(std::max<size_t>(inputs.size(), 1)));

  std::atomic<size_t> next{0}, failed{0};
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
        if (progress) progress->Clear();
        std::fprintf(stderr, "vantrel-cli: %s: %s\n", inputs[i].c_str(), message.c_str());
      }
      if (progress) progress->Step(i < inputBytes.size() ? inputBytes[i] : 0);
    }
  };
  std::vector<std::thread> threads;
  for (unsigned t = 1; t < jobs; ++t)
    threads.emplace_back(worker);
  worker();
  for (auto& t : threads)
    t.join();
  if (progress) progress->Clear();
  return failed;
}
