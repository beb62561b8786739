#include "io/Exceptions.h"

#include <new>

TFailureKind FailureKindOf(const std::exception& failure) noexcept {
  if (const auto* marked = dynamic_cast<const TFailureKindOf*>(&failure))
    return marked->FailureKind();
  if (dynamic_cast<const std::bad_alloc*>(&failure) ||
      dynamic_cast<const EOutOfResources*>(&failure))
    return TFailureKind::TooLarge;
  return TFailureKind::Damaged;
}
