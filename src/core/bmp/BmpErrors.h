// The one error the BMP reader raises: EInvalidGraphic with a text that says what is wrong.
#pragma once

#include "io/Exceptions.h"

#include <string>

inline constexpr char kInvalidBmp[] = "Bitmap image is not valid";

[[noreturn]] inline void ThrowInvalidBmp(const std::string& why) {
  throw EInvalidGraphic(std::string(kInvalidBmp) + ": " + why);
}
