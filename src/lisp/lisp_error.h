#pragma once

#include "support/errors.h"

namespace kest {

// Errors of the script engine. Each carries only its message.
KEST_DECLARE_ERROR(ELispError, EKestError);
KEST_DECLARE_ERROR(ELispFatalError, ELispError);
KEST_DECLARE_ERROR(ELispEvalError, ELispError);
KEST_DECLARE_ERROR(ELispReadError, ELispError);
KEST_DECLARE_ERROR(ELispSymTableError, ELispFatalError);

// Raises EAssertionFailed naming the source line and ending in `message`.
[[noreturn]] void LispAssertionFailed(const char* file, int line, const char* message);

// Structures nested deeper than this are refused by the reader, the printers and the
// evaluator with a clean error instead of exhausting the stack.
inline constexpr int kMaxLispNesting = 1000;

}  // namespace kest

#define KEST_LISP_ASSERT(condition, message)                                    \
  do {                                                                          \
    if (!(condition)) ::kest::LispAssertionFailed(__FILE__, __LINE__, message); \
  } while (false)
