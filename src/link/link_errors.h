#pragma once

#include "support/errors.h"

namespace kest {

// The logger link. Faults of the serial line itself are logged, never raised; these
// are the failures a user should see (a port that cannot be opened, a missing
// sensor or channel, a command lock that could not be had).
KEST_DECLARE_ERROR(ELoggerError, EKestError);
KEST_DECLARE_ERROR(ELoggerSensorsError, ELoggerError);

}  // namespace kest
