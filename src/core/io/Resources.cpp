#include "io/Resources.h"

#include "io/Exceptions.h"

#include <fstream>
#include <iterator>

namespace {

const char* TypeFolder(TResourceType type) {
  return type == TResourceType::RT_BITMAP ? "BITMAP" : "RCDATA";
}

bool ReadResourceFile(const std::string& path, std::string& bytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return !file.bad();
}

} // namespace

std::string ResourceIdName(int32_t id) {
  return "#" + std::to_string(id);
}

TResourceStream::TResourceStream(const HINSTANCE& instance, const std::string& name,
                                 TResourceType type) {
  const std::string path = instance.root + TypeFolder(type) + "/" + name;
  const auto read = instance.read ? instance.read : ReadResourceFile;
  if (instance.root.empty() || !read(path, data_))
    throw EResNotFound("Resource " + name + " not found");
  SetPointer(reinterpret_cast<uint8_t*>(data_.data()), static_cast<int64_t>(data_.size()));
}

TResourceStream::TResourceStream(const HINSTANCE& instance, int32_t id, TResourceType type)
    : TResourceStream(instance, ResourceIdName(id), type) {}

int64_t TResourceStream::Write(const void*, int64_t) {
  throw EWriteError("Cannot write to a resource");
}
