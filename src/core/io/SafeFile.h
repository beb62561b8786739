// Writing a file without ever losing the old one: the bytes go to a temporary file in the
// target's folder, which replaces the target only when all of it was written and flushed.
#pragma once

#include <functional>
#include <string>

class TStream;

// Calls `write` with a stream over a new temporary file beside `fileName`, then renames it
// over `fileName`. On any failure the temporary file is removed, the target is left as it
// was, and EFCreateError or EWriteError is thrown naming the file and the reason.
void SaveFileSafely(const std::string& fileName, const std::function<void(TStream&)>& write);
