// The error model: every failure is an exception that carries a message text. Each unit's
// own error class derives from Exception; those whose failures are not all damage also say
// what kind of failure it is (TFailureKindOf), so that a host can tell them apart.
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

// What a failure is to a host that tells only a few cases apart: a file of another format, a
// damaged file, or a picture too large to load.
enum class TFailureKind { Damaged, NotThisFormat, TooLarge };

// Mixed into the error classes that carry a failure kind.
class TFailureKindOf {
public:
  explicit TFailureKindOf(TFailureKind kind) : failureKind_(kind) {}
  virtual ~TFailureKindOf() = default;
  TFailureKind FailureKind() const noexcept { return failureKind_; }

private:
  TFailureKind failureKind_;
};

// A graphic refused for a reason other than damage.
class EGraphicOfKind : public EInvalidGraphic, public TFailureKindOf {
public:
  EGraphicOfKind(TFailureKind kind, std::string message)
      : EInvalidGraphic(std::move(message)), TFailureKindOf(kind) {}
};

// A picture beyond the size limits that every reader applies (io/Limits.h).
class EImageTooLarge : public EGraphicOfKind {
public:
  explicit EImageTooLarge(std::string message)
      : EGraphicOfKind(TFailureKind::TooLarge, std::move(message)) {}
};

// The kind of any failure: what its class carries; running out of memory is TooLarge; any
// other failure is damage.
TFailureKind FailureKindOf(const std::exception& failure) noexcept;
