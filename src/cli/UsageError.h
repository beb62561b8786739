// A command line that cannot be carried out as written: the program prints the message and
// the usage, and ends with status 2.
#pragma once

#include <string>

struct TUsageError {
  std::string message;
};
