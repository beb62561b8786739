#include "qt/GuiApplication.h"

#include <QGuiApplication>
#include <cstdlib>
#include <memory>

namespace {

std::unique_ptr<QGuiApplication> created;

} // namespace

void EnsureGuiApplication() {
  if (QCoreApplication::instance()) return;
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static int argc = 1;
  static char name[] = "vantrel";
  static char* argv[] = {name, nullptr};
  created = std::make_unique<QGuiApplication>(argc, argv);
}

void ShutdownGuiApplication() {
  created.reset();
}
