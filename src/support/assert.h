#pragma once

#include "support/errors.h"

namespace kest {

// Writes the failure to the diagnostic log as an error with its place, then raises
// EAssertionFailed "Assertion failure (file, line n)" carrying that place.
[[noreturn]] void AssertionFailed(const char* file, int line);

// The same for an invariant with a message of its own: logged with its place, then
// EAssertionFailed(message) is raised.
[[noreturn]] void RequirementFailed(const char* message, const char* file, int line);

// Checks an invariant whose failure says what went wrong in words of its own. The
// caller's place comes from the compiler's builtins (both gcc and clang 14 have
// them; <source_location> is not usable with clang 14 and libstdc++ 12).
inline void Require(bool condition, const char* message, const char* file = __builtin_FILE(),
                    int line = __builtin_LINE()) {
  if (!condition) RequirementFailed(message, file, line);
}

}  // namespace kest

// Checks an internal invariant; a failure raises an error that names the source line.
#define KEST_ASSERT(condition)                                     \
  do {                                                             \
    if (!(condition)) ::kest::AssertionFailed(__FILE__, __LINE__); \
  } while (false)
