#include "cli/Input.h"

#include "io/Exceptions.h"
#include "io/Streams.h"
#include "qt/BitmapQt.h"
#include "qt/FormatReader.h"
#include "qt/GuiApplication.h"
#include "qt/Units.h"

#include <QBuffer>
#include <QImage>

void ReadInput(const std::string& fileName, const std::string& format, TUniBitmap& target) {
  if (!format.empty()) {
    LoadByFormat(format, fileName, target);
    return;
  }
  // Batch work reads on several threads: each keeps its own loader, as the window keeps one.
  thread_local TImageLoader loader;
  LoadAsWindowDoes(fileName, target, loader);
}

std::vector<uint8_t> ThumbnailPng(const TUniBitmap& bitmap, int size) {
  QImage image = BitmapToQImage(bitmap);
  if (image.width() > size || image.height() > size)
    image = image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) throw Exception("cannot encode the thumbnail as PNG");
  return {png.begin(), png.end()};
}

void PrepareInputForThreads() {
  EnsureGuiApplication();
}

void FinishInput() {
  FinalizeUnits();
  ShutdownGuiApplication();
}
