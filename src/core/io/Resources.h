// A module's resources: bytes found by type and name. A numbered resource N is named "#N".
// HINSTANCE names the module that holds them: a folder with a file "<TYPE>/<name>" for each
// resource, or the program's embedded resources, which the Qt layer's HInstance() reads.
#pragma once

#include "io/Streams.h"

#include <cstdint>
#include <string>

struct HINSTANCE {
  std::string root; // prefix of every resource's path; an empty root finds nothing
  // Reads the resource at `path` into `bytes`, false when there is none; null reads files.
  bool (*read)(const std::string& path, std::string& bytes) = nullptr;
};

enum class TResourceType { RT_BITMAP = 2, RT_RCDATA = 10 };

// A read-only stream over one resource. Throws EResNotFound when it does not exist.
class TResourceStream : public TCustomMemoryStream {
public:
  TResourceStream(const HINSTANCE& instance, const std::string& name, TResourceType type);
  TResourceStream(const HINSTANCE& instance, int32_t id, TResourceType type);
  int64_t Write(const void*, int64_t) override;

private:
  std::string data_;
};

std::string ResourceIdName(int32_t id);
