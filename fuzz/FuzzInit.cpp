// Starts the format units once before the first input, as the program does at start-up.
#include "import/Units.h"

#include <QGuiApplication>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static QGuiApplication app(*argc, *argv);
  InitializeUnits();
  return 0;
}
