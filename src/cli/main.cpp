#include "cli/Cli.h"
#include "import/Units.h"

#include <QGuiApplication>
#include <cstdlib>

int main(int argc, char** argv) {
  // Metafiles draw text, which needs a GUI application; no window is ever shown.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (!std::getenv("VANTREL_DEBUG"))
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  int qtArgc = 1;
  QGuiApplication app(qtArgc, argv);
  InitializeUnits();
  int status = RunCli(argc, argv);
  FinalizeUnits();
  return status;
}
