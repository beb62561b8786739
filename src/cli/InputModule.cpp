#include "cli/InputModule.h"

#include "blz/UniBmp.h"
#include "bmp/Picture.h"
#include "cli/QtInput.h"
#include "io/Streams.h"
#include "qt/Units.h"

#include <QtGlobal>
#include <cstdlib>
#include <filesystem>
#include <mutex>

namespace {

void Start() {
  static std::once_flag started;
  std::call_once(started, [] {
    // Metafiles that draw text get a GUI application when they first need it; no window is
    // ever shown. The command line keeps Qt's warnings off its output; a host process that
    // loads the module (Python) keeps its own platform and message handler.
    std::error_code error;
    const bool commandLine =
        std::filesystem::read_symlink("/proc/self/exe", error).filename() == "vantrel-cli";
    setenv("QT_QPA_PLATFORM", "offscreen", commandLine ? 1 : 0);
    if (commandLine && !std::getenv("VANTREL_DEBUG"))
      qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    // A program that links the module in has started the units itself.
    if (TPicture::FileFormats().empty()) InitializeUnits();
  });
}

void Read(const std::string& fileName, const std::string& format, std::vector<uint8_t>& bmp,
          std::vector<std::string>& notes) {
  Start();
  TUniBitmap bitmap;
  ReadInputWithQt(fileName, format, bitmap, &notes);
  TMemoryStream image;
  bitmap.SaveToStream(image);
  bmp.assign(image.Bytes().begin(), image.Bytes().end());
}

void Thumbnail(const std::vector<uint8_t>& bmp, int size, std::vector<uint8_t>& png) {
  Start();
  TUniBitmap bitmap;
  TReadOnlyMemoryStream image(bmp);
  bitmap.LoadFromStream(image);
  png = ThumbnailPngWithQt(bitmap, size);
}

void PrepareThreads() {
  Start();
  PrepareQtInputForThreads();
}

const TInputModule kModule = {kInputModuleVersion, Read, Thumbnail, PrepareThreads, FinishQtInput};

} // namespace

extern "C" __attribute__((visibility("default"))) const TInputModule* VantrelInputModule() {
  return &kModule;
}
