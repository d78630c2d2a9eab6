#pragma once

#include "support/errors.h"

namespace kest {

// Failures of the live witness the user sees: a wrong broker address or unit name.
KEST_DECLARE_ERROR(EWitnessError, EKestError);

}  // namespace kest
