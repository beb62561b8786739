// Program start: the units, the language, the application title, the main window, then the
// message dialog; the message loop; then the windows go and the units shut down in reverse
// order.
#include "app/AppAccessibility.h"
#include "app/AppResources.h"
#include "app/ComprImg.h"
#include "app/MessDlg.h"
#include "app/Translations.h"
#include "io/ImageMemory.h"
#include "qt/Units.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char** argv) {
  // Room for a 24-megapixel picture in all the buffers a round trip passes it through.
  PrepareHeapForImages(size_t{768} << 20);
  QApplication app(argc, argv);
  InitAppResources();
  InitializeUnits();
  InstallTranslations(LanguageFromEnvironment());
  InstallAccessibility();
  QApplication::setApplicationName("Dorrik");
  int status = 0;
  {
    TComprImg window(QApplication::arguments().mid(1));
    MessDlgBox = new TMessDlgBox(&window);
    if (QScreen* screen = QGuiApplication::primaryScreen())
      window.move(screen->availableGeometry().center() - window.rect().center());
    window.show();
    // Without a window manager nothing else gives the window the keyboard.
    window.activateWindow();
    status = QApplication::exec();
    delete MessDlgBox;
    MessDlgBox = nullptr;
  }
  FinalizeUnits();
  return status;
}
