#include "qt/GuiApplication.h"

#include "io/Exceptions.h"

#include <QGuiApplication>
#include <cstdlib>
#include <memory>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

std::unique_ptr<QGuiApplication> created;

} // namespace

void EnsureGuiApplication() {
  if (QCoreApplication::instance()) return;
  // Qt's application belongs to the thread that makes it, and only the main thread may.
  if (syscall(SYS_gettid) != getpid())
    throw Exception("drawing this picture's text needs Qt's GUI application, which only the "
                    "main thread can start: read one such picture on the main thread first");
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static int argc = 1;
  static char name[] = "vantrel";
  static char* argv[] = {name, nullptr};
  created = std::make_unique<QGuiApplication>(argc, argv);
}

void ShutdownGuiApplication() {
  created.reset();
}
