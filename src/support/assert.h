#pragma once

#include "support/errors.h"

namespace kest {

// Raises EAssertionFailed "Assertion failure (file, line n)".
[[noreturn]] void AssertionFailed(const char* file, int line);

}  // namespace kest

// Checks an internal invariant; a failure raises an error that names the source line.
#define KEST_ASSERT(condition)                                      \
  do {                                                              \
    if (!(condition)) ::kest::AssertionFailed(__FILE__, __LINE__);  \
  } while (false)
