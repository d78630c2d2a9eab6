#pragma once

#include "support/errors.h"

namespace kest {

// Failures of the recording session and its research folders that the user sees.
KEST_DECLARE_ERROR(ESessionError, EKestError);
KEST_DECLARE_ERROR(EResearchError, ESessionError);

}  // namespace kest
