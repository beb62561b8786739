// Test main: a GUI application on the offscreen platform (fonts and painting work without a
// display) and the format units started as the program starts them.
#include "import/Units.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

#ifdef VANTREL_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
using TestApplication = QGuiApplication;
#endif

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen"
                                                                   : qgetenv("QT_QPA_PLATFORM"));
  TestApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  InitializeUnits();
  int result = RUN_ALL_TESTS();
  FinalizeUnits();
  return result;
}
