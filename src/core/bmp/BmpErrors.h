// The one error the BMP reader raises: EInvalidGraphic with a text that says what is wrong;
// a file without the "BM" signature is not a BMP file at all, and says so by its kind.
#pragma once

#include "io/Exceptions.h"

#include <string>

inline constexpr char kInvalidBmp[] = "Bitmap image is not valid";

[[noreturn]] inline void ThrowInvalidBmp(const std::string& why) {
  throw EInvalidGraphic(std::string(kInvalidBmp) + ": " + why);
}

[[noreturn]] inline void ThrowNotBmp(const std::string& why) {
  throw EGraphicOfKind(TFailureKind::NotThisFormat, std::string(kInvalidBmp) + ": " + why);
}
