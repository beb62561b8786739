#include "qt/Resources.h"

#include <QFile>

namespace {

bool ReadQtResource(const std::string& path, std::string& bytes) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray data = file.readAll();
  bytes.assign(data.constData(), static_cast<size_t>(data.size()));
  return true;
}

} // namespace

HINSTANCE HInstance() {
  return {":/", ReadQtResource};
}
