#pragma once

#include "support/errors.h"

namespace kest {

// A depth match, splice, repeat control, resampling or filter that cannot run on the
// logs given (different arguments, no common interval, a curve missing, a depth
// outside the logs, a constant curve). The message names what is wrong; nothing has
// been changed or written.
KEST_DECLARE_ERROR(EAnalysisError, EKestError);
// The user cancelled through the progress callback; nothing has been changed.
KEST_DECLARE_ERROR(EAnalysisCancelled, EAnalysisError);

}  // namespace kest
