// Test main: a GUI application on the offscreen platform (fonts and painting work without a
// display) and the format units started as the program starts them.
#include "qt/Units.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

#include <cstdlib>

#ifdef VANTREL_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
using TestApplication = QGuiApplication;
#endif

int main(int argc, char** argv) {
  // The window's texts that the tests compare must not depend on the machine's language.
  setenv("LC_ALL", "C", 1);
  unsetenv("LANGUAGE");
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  TestApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  InitializeUnits();
  int result = RUN_ALL_TESTS();
  FinalizeUnits();
  return result;
}
