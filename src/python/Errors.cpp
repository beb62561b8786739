#include "python/Errors.h"

#include "cli/Input.h"

#include <new>

TErrorClass ErrorClassOf(const std::exception& failure) {
  if (dynamic_cast<const ENotThisFormat*>(&failure)) return TErrorClass::NotThisFormat;
  if (dynamic_cast<const EHostError*>(&failure) ||
      dynamic_cast<const EInputModuleMissing*>(&failure))
    return TErrorClass::Other;
  if (!dynamic_cast<const Exception*>(&failure) && !dynamic_cast<const std::bad_alloc*>(&failure))
    return TErrorClass::Other;
  switch (FailureKindOf(failure)) {
  case TFailureKind::NotThisFormat:
    return TErrorClass::NotThisFormat;
  case TFailureKind::TooLarge:
    return TErrorClass::TooLarge;
  case TFailureKind::Damaged:
    break;
  }
  return TErrorClass::Damaged;
}
