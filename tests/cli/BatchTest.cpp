// The batch runner's threads and failure lines, and the thumbnail's size and pixels.
#include "cli/Batch.h"
#include "TestSupport.h"
#include "blz/UniBmp.h"
#include "cli/ProgressBar.h"
#include "cli/QtInput.h"

#include <gtest/gtest.h>

#include <QImage>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

namespace {

std::vector<std::string> Names(size_t count) {
  std::vector<std::string> names;
  for (size_t i = 0; i < count; ++i)
    names.push_back("in" + std::to_string(i));
  return names;
}

// Each job waits until `wanted` jobs run at once (or a second has passed), so that the
// threads the runner started each take one; returns how many distinct threads ran jobs.
size_t ThreadsUsed(unsigned jobs, size_t inputs, size_t wanted) {
  std::mutex lock;
  std::condition_variable changed;
  size_t running = 0;
  std::set<std::thread::id> threads;
  RunBatch(Names(inputs), jobs, [&](const std::string&) {
    std::unique_lock hold(lock);
    threads.insert(std::this_thread::get_id());
    ++running;
    changed.notify_all();
    changed.wait_for(hold, std::chrono::seconds(1), [&] { return running >= wanted; });
  });
  return threads.size();
}

TEST(Batch, RunsAsManyThreadsAsAskedAndZeroMeansEveryCore) {
  const size_t cores = std::max(1u, std::thread::hardware_concurrency());
  // Jobs asked for, inputs, threads expected.
  const std::tuple<unsigned, size_t, size_t> cases[] = {
      {1, 3, 1}, {3, 3, 3}, {4, 2, 2}, {0, cores, cores}};
  for (const auto& [jobs, inputs, expected] : cases)
    EXPECT_EQ(ThreadsUsed(jobs, inputs, expected), expected) << jobs << " jobs";
}

// Every input runs once; each failure is one line with the input's name and its message.
TEST(Batch, RunsEachInputOnceAndCountsAndReportsFailures) {
  for (unsigned jobs : {1u, 3u}) {
    std::mutex lock;
    std::map<std::string, int> runs;
    testing::internal::CaptureStderr();
    const size_t failed = RunBatch(Names(7), jobs, [&](const std::string& input) {
      {
        std::lock_guard hold(lock);
        ++runs[input];
      }
      if (input == "in2" || input == "in5") throw std::runtime_error("bad " + input);
    });
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_EQ(failed, 2u) << jobs;
    EXPECT_EQ(runs.size(), 7u);
    for (const auto& [input, count] : runs)
      EXPECT_EQ(count, 1) << input;
    for (const char* line : {"vantrel-cli: in2: bad in2\n", "vantrel-cli: in5: bad in5\n"})
      EXPECT_NE(printed.find(line), std::string::npos) << printed;
    EXPECT_EQ(printed.size(), 2 * std::string("vantrel-cli: in2: bad in2\n").size());
  }
  EXPECT_EQ(RunBatch({}, 0, [](const std::string&) { throw std::runtime_error("no input"); }), 0u);
}

// A picture larger than the size in either direction shrinks to fit, keeping its shape; one
// that fits keeps its size and its pixels.
TEST(Batch, ThumbnailFitsTheSizeKeepingTheShape) {
  // Width, height, size, the thumbnail's width and height.
  const std::tuple<int, int, int, int, int> cases[] = {{200, 50, 64, 64, 16},
                                                       {50, 200, 64, 16, 64},
                                                       {65, 64, 64, 64, 63},
                                                       {64, 64, 64, 64, 64},
                                                       {30, 20, 64, 30, 20}};
  for (const auto& [w, h, size, tw, th] : cases) {
    SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
    TUniBitmap bitmap;
    bitmap.SetSize(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        bitmap.SetPixel(x, y, RGB(x * 3, y * 5, 200));
    const std::vector<uint8_t> png = ThumbnailPngWithQt(bitmap, size);
    const QImage thumbnail = QImage::fromData(png.data(), int(png.size()), "PNG");
    ASSERT_EQ(thumbnail.size(), QSize(tw, th));
    for (QPoint p : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(w / 2, h - 1)})
      if (w <= size && h <= size) {
        EXPECT_EQ(thumbnail.pixel(p), qRgb(p.x() * 3, p.y() * 5, 200)) << p.x() << "," << p.y();
      }
  }
}

// The bar fills with the bytes done, tells the time left from the rate (hours from the first
// whole one), and fits the line.
TEST(Batch, ProgressLineFitsTheTerminal) {
  const struct {
    size_t done, files;
    int64_t bytesDone, bytes;
    double seconds;
    int width;
    const char* line;
  } cases[] = {
      {1, 4, 2500000, 10000000, 1.0, 80,
       "[########......................] 1/4 files  2.5 MB/10.0 MB  2.5 MB/s  0:03 left"},
      {4, 4, 10000000, 10000000, 2.0, 60,
       "[####################] 4/4 files  10.0 MB/10.0 MB  5.0 MB/s"},
      {0, 2, 0, 0, 0.0, 40, " 0/2 files  0 bytes/0 bytes  0 bytes/s"},
      {3, 9, 3000, 9000000, 7200.0, 30, " 3/9 files  3 kB/9.0 MB  0 by"},
      {1, 4, 1000000, 4000000, 1810.0, 70,
       "[####...........] 1/4 files  1.0 MB/4.0 MB  552 bytes/s  1:30:30 left"},
      {1, 2, 1000000, 2000000, 3600.0, 70,
       "[########.......] 1/2 files  1.0 MB/2.0 MB  277 bytes/s  1:00:00 left"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TProgressBar::Line(c.done, c.files, c.bytesDone, c.bytes, c.seconds, c.width),
              c.line);
}

} // namespace
