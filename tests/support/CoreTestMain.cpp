// Test main of the core: no Qt at all, the core's units started as the programs start them.
#include "blz/UniBmp.h"
#include "codec/LZRW1KH.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  // Messages and texts compared by the tests must not depend on the machine's language.
  setenv("LC_ALL", "C", 1);
  unsetenv("LANGUAGE");
  testing::InitGoogleTest(&argc, argv);
  LZRW1KHStartup();
  UniBmpStartup();
  const int result = RUN_ALL_TESTS();
  UniBmpShutdown();
  LZRW1KHShutdown();
  return result;
}
