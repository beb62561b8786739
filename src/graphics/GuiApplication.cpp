#include "graphics/GuiApplication.h"

#include <QGuiApplication>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

namespace {

std::unique_ptr<QGuiApplication> created;
std::mutex mutex;
std::condition_variable madeReady;
std::atomic<bool> ready{false};
bool promised = false;
std::thread::id maker;

} // namespace

void PromiseGuiApplication() {
  std::lock_guard lock(mutex);
  promised = true;
  maker = std::this_thread::get_id();
}

void EnsureGuiApplication() {
  if (ready.load(std::memory_order_acquire)) return;
  std::unique_lock lock(mutex);
  if (!QCoreApplication::instance()) {
    if (promised && std::this_thread::get_id() != maker) {
      madeReady.wait(lock, [] { return ready.load(); });
      return;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "vantrel";
    static char* argv[] = {name, nullptr};
    created = std::make_unique<QGuiApplication>(argc, argv);
  }
  ready.store(true, std::memory_order_release);
  madeReady.notify_all();
}

void ShutdownGuiApplication() {
  std::lock_guard lock(mutex);
  created.reset();
  ready = false;
  promised = false;
}
