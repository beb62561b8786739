// The program's resources: bytes embedded in the executable, found by type and name. A
// numbered resource N is named "#N". HINSTANCE names the module that holds them.
#pragma once

#include "graphics/Streams.h"

#include <cstdint>
#include <string>

struct HINSTANCE {
  std::string root = ":/";  // where the module's resources live in the Qt resource system
};

inline HINSTANCE HInstance() { return {}; }

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
