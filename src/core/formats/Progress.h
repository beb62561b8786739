// Progress of a long decode. Decoders call ReportDecoderProgress after each row (or block);
// the window installs a callback that lets painting go on while user input waits. The
// callback belongs to the calling thread, so batch work on other threads never sees it.
#pragma once

#include <functional>

using TProgressCallback = std::function<void()>;

void SetDecoderProgress(TProgressCallback callback);
void ReportDecoderProgress();
