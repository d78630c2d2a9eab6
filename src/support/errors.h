#pragma once

#include <stdexcept>
#include <string>

namespace kest {

// Base of every exception the system raises for the user to see. Each unit derives
// a small hierarchy from it (ELogError -> ELogSheetError, ...); ClassName() names the
// most derived class so that tools and message boxes can say which unit failed.
class EKestError : public std::runtime_error {
 public:
  explicit EKestError(const std::string& message) : std::runtime_error(message) {}
  virtual const char* ClassName() const noexcept { return "EKestError"; }
};

// Declares an exception class `Name` derived from `Base` with its own ClassName().
// NOLINTBEGIN(bugprone-macro-parentheses): a class name and a base cannot be parenthesised
#define KEST_DECLARE_ERROR(Name, Base)                                \
  class Name : public Base {                                          \
   public:                                                            \
    explicit Name(const std::string& message) : Base(message) {}      \
    const char* ClassName() const noexcept override { return #Name; } \
  }
// NOLINTEND(bugprone-macro-parentheses)

// Raised by KEST_ASSERT and Require when an internal invariant does not hold: a fault
// of the program, not of its input. Carries the failing place when it is known.
class EAssertionFailed : public EKestError {
 public:
  explicit EAssertionFailed(const std::string& message) : EKestError(message) {}
  // `file` must outlive the exception (a source path literal).
  EAssertionFailed(const std::string& message, const char* file, int line)
      : EKestError(message), file_(file), line_(line) {}
  const char* ClassName() const noexcept override { return "EAssertionFailed"; }

  // "src/x.cpp, line 12"; empty when the place is not known.
  std::string Place() const;

 private:
  const char* file_ = nullptr;
  int line_ = 0;
};

// Raised when a buffer cannot be allocated.
KEST_DECLARE_ERROR(EOutOfMemory, EKestError);
// Raised by input and output helpers of the support layer.
KEST_DECLARE_ERROR(EInOutError, EKestError);
// Text that should be a number is not one.
KEST_DECLARE_ERROR(EConvertError, EKestError);
// Ends the current operation silently: boundaries catch it and show nothing (the
// reason has already been written to the diagnostic log).
KEST_DECLARE_ERROR(EAbort, EKestError);

// The class name of any exception: ClassName() for ours, a fixed name for the rest.
const char* ExceptionClassName(const std::exception& e) noexcept;

// "message" followed by the system's text for errno (or the given code).
std::string WithSystemError(const std::string& message);
std::string WithSystemError(const std::string& message, int error_code);

}  // namespace kest
