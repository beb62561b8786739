#include "cli/QtInput.h"

#include "io/Exceptions.h"
#include "io/Streams.h"
#include "qt/BitmapQt.h"
#include "qt/FormatReader.h"
#include "qt/GuiApplication.h"
#include "qt/Undrawn.h"
#include "qt/Units.h"

#include <QBuffer>
#include <QImage>

void ReadInputWithQt(const std::string& fileName, const std::string& format, TUniBitmap& target,
                     std::vector<std::string>* notes) {
  if (!format.empty()) {
    LoadByFormat(format, fileName, target);
    return;
  }
  // Batch work reads on several threads: each keeps its own loader, as the window keeps one.
  // Unlike the window's, it keeps the alpha of what it reads (icons, pictures Qt reads).
  thread_local TUndrawn<TImageLoader> loader;
  TUndrawn<TUniBitmap> undrawn;
  loader.ClearNotes();
  LoadAsWindowDoes(fileName, undrawn, loader);
  static_cast<TBitmap&>(target) = std::move(undrawn);
  if (notes) *notes = loader.Notes();
}

std::vector<uint8_t> ThumbnailPngWithQt(const TUniBitmap& bitmap, int size) {
  QImage image = BitmapToQImage(bitmap);
  if (image.width() > size || image.height() > size)
    image = image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) throw Exception("cannot encode the thumbnail as PNG");
  return {png.begin(), png.end()};
}

void PrepareQtInputForThreads() {
  EnsureGuiApplication();
}

void FinishQtInput() {
  FinalizeUnits();
  ShutdownGuiApplication();
}
