#include "formats/Progress.h"

namespace {
thread_local TProgressCallback progress;
}

void SetDecoderProgress(TProgressCallback callback) {
  progress = std::move(callback);
}

void ReportDecoderProgress() {
  if (progress) progress();
}
