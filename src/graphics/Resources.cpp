#include "graphics/Resources.h"

#include "graphics/Exceptions.h"

#include <QFile>

namespace {
const char* TypeFolder(TResourceType type) {
  return type == TResourceType::RT_BITMAP ? "BITMAP" : "RCDATA";
}
} // namespace

std::string ResourceIdName(int32_t id) { return "#" + std::to_string(id); }

TResourceStream::TResourceStream(const HINSTANCE& instance, const std::string& name,
                                 TResourceType type) {
  QFile file(QString::fromStdString(instance.root + TypeFolder(type) + "/" + name));
  if (!file.open(QIODevice::ReadOnly)) throw EResNotFound("Resource " + name + " not found");
  QByteArray bytes = file.readAll();
  data_.assign(bytes.constData(), static_cast<size_t>(bytes.size()));
  SetPointer(reinterpret_cast<uint8_t*>(data_.data()), static_cast<int64_t>(data_.size()));
}

TResourceStream::TResourceStream(const HINSTANCE& instance, int32_t id, TResourceType type)
    : TResourceStream(instance, ResourceIdName(id), type) {}

int64_t TResourceStream::Write(const void*, int64_t) {
  throw EWriteError("Cannot write to a resource");
}
