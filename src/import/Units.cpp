#include "import/Units.h"

#include "bitmap/LZRW1KH.h"
#include "bitmap/UniBmp.h"

void InitializeUnits() {
  // Order matters: later registrations take precedence in the picture registry.
  LZRW1KHStartup();
  UniBmpStartup();
}

void FinalizeUnits() {
  UniBmpShutdown();
  LZRW1KHShutdown();
}
