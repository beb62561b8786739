// Starts the format units once before the first input, as the program does at start-up.
// While fuzzing, the pixel limit is lowered to 16 megapixels: pictures far larger than their
// data are legitimate (a cut file is filled with zeros) but cost seconds of memory filling
// per input. The plain reproducers replay their files under the real limits.
#include "io/Limits.h"
#include "qt/Units.h"

#include <QGuiApplication>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static QGuiApplication app(*argc, *argv);
  InitializeUnits();
#ifdef VANTREL_LIBFUZZER
  limits::LowerPixelLimit(int64_t{1} << 24);
#endif
  return 0;
}
