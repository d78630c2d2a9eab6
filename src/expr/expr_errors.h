#pragma once

#include "support/errors.h"

namespace kest {

// Base of every error the expression parser raises.
KEST_DECLARE_ERROR(EExpressionError, EKestError);
// A formula that does not compile (syntax, unknown function, brackets, ...).
KEST_DECLARE_ERROR(EParserException, EExpressionError);
// A number literal that cannot be converted ("2e", "1e999", an overlong hex number).
KEST_DECLARE_ERROR(ENumberConvertError, EExpressionError);

// Floating-point faults raised while evaluating or while folding constants.
KEST_DECLARE_ERROR(EMathError, EExpressionError);
KEST_DECLARE_ERROR(EDivisionByZero, EMathError);
KEST_DECLARE_ERROR(EInvalidOperation, EMathError);
KEST_DECLARE_ERROR(EFloatOverflow, EMathError);

}  // namespace kest
