// What a failure is to a Python caller: the kinds vantrel.Error's subclasses tell apart, and
// the failures of the module's own that are no decoder's.
#pragma once

#include "io/Exceptions.h"

#include <exception>
#include <string>

// The classes of vantrel.Error: the failure kinds of the readers, and Other for the rest.
enum class TErrorClass { Other, NotThisFormat, Damaged, TooLarge };

// A file of no format the module reads, or a format name it does not know.
VANTREL_DECLARE_EXCEPTION(ENotThisFormat, Exception);

// Trouble of the module's own, no file's: the input module missing, or work this thread
// cannot do (Qt's application starts on the main thread only).
VANTREL_DECLARE_EXCEPTION(EHostError, Exception);

// A file that cannot be opened or read; Python raises the OSError subclass of `error`
// (FileNotFoundError for ENOENT).
class ESystemError : public Exception {
public:
  ESystemError(int error, std::string fileName)
      : Exception(fileName), error_(error), fileName_(std::move(fileName)) {}
  int Error() const { return error_; }
  const std::string& FileName() const { return fileName_; }

private:
  int error_;
  std::string fileName_;
};

// The kind of a decoder's or encoder's failure. Exceptions thrown inside the input module
// arrive as the same classes (their type names match across the module boundary).
TErrorClass ErrorClassOf(const std::exception& failure);
