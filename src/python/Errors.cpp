#include "python/Errors.h"

#include "blz/BlzErrors.h"

#include <new>
#include <string_view>

namespace {

// The bitmap limits and the readers that wrap them refuse a picture in these words; they
// carry no kind of their own.
bool SaysTooLarge(std::string_view text) {
  for (std::string_view words :
       {"above 65535", "image has more than", "needs more than 1 GiB", "too large", "Too large"})
    if (text.find(words) != std::string_view::npos) return true;
  return false;
}

} // namespace

TFailureKind ClassifyFailure(const std::exception& failure) {
  if (dynamic_cast<const ENotThisFormat*>(&failure)) return TFailureKind::NotThisFormat;
  if (dynamic_cast<const EHostError*>(&failure)) return TFailureKind::Other;
  if (dynamic_cast<const std::bad_alloc*>(&failure) ||
      dynamic_cast<const EOutOfResources*>(&failure))
    return TFailureKind::TooLarge;
  if (const auto* blz = dynamic_cast<const EBlzError*>(&failure))
    return blz->Kind() == TBlzError::TooLarge ? TFailureKind::TooLarge : TFailureKind::Damaged;
  if (dynamic_cast<const Exception*>(&failure))
    return SaysTooLarge(failure.what()) ? TFailureKind::TooLarge : TFailureKind::Damaged;
  return TFailureKind::Other;
}
