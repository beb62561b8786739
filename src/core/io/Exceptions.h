// The error model: every failure is an exception that carries a message text. Each unit's
// own error class derives from Exception and adds nothing.
#pragma once

#include <exception>
#include <string>

class Exception : public std::exception {
public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const noexcept { return message_; }

private:
  std::string message_;
};

#define VANTREL_DECLARE_EXCEPTION(Name, Base)                                                      \
  class Name : public Base {                                                                       \
  public:                                                                                          \
    using Base::Base;                                                                              \
  }

VANTREL_DECLARE_EXCEPTION(EStreamError, Exception);
VANTREL_DECLARE_EXCEPTION(EReadError, EStreamError);
VANTREL_DECLARE_EXCEPTION(EWriteError, EStreamError);
VANTREL_DECLARE_EXCEPTION(EFOpenError, EStreamError);
VANTREL_DECLARE_EXCEPTION(EFCreateError, EStreamError);
VANTREL_DECLARE_EXCEPTION(EResNotFound, Exception);
VANTREL_DECLARE_EXCEPTION(EInvalidGraphic, Exception);
VANTREL_DECLARE_EXCEPTION(EOutOfResources, Exception);
