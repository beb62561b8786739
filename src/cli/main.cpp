#include "cli/Cli.h"
#include "graphics/GuiApplication.h"
#include "graphics/ImageMemory.h"
#include "import/Units.h"

#include <QtGlobal>
#include <cstdlib>

int main(int argc, char** argv) {
  // Batch work allocates and frees image-sized buffers file after file: keep them.
  PrepareHeapForImages(size_t{256} << 20);
  // Metafiles that draw text get a GUI application when they first need it; no window is
  // ever shown.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (!std::getenv("VANTREL_DEBUG"))
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  InitializeUnits();
  int status = RunCli(argc, argv);
  FinalizeUnits();
  ShutdownGuiApplication();
  return status;
}
