#pragma once

#include <cstdint>
#include <vector>

#include "analysis/curve_sampling.h"

namespace kest {

class TLogSheet;

// Joins logs of one argument into one composite at splice arguments (mm or ms):
// log 0 gives the rows above at[0], log i the rows from at[i-1] to above at[i], the
// last log the rows from the last splice on. Rows lie on the first log's grid (its
// sheet step and origin); a log of another step is read linearly, a sample on the
// grid as it is. Tracks are matched by parameter and instance; a track one log lacks
// is null over that log's part. The composite takes the first log's parameters and
// comments, the splice arguments added to the comments ("Сшивка: 1234.50 м").
//
// Raises EAnalysisError when the logs differ in argument, when there is not one
// splice fewer than logs, when the splices do not ascend, and when a splice lies
// outside either log it joins ("Глубина сшивки 1234.50 вне лога 2 (1000.00–1100.00)").
void SpliceLogs(const std::vector<const TLogSheet*>& logs, const std::vector<int32_t>& at,
                TLogSheet& out, float null_value = kDefaultNullValue,
                const AnalysisProgress& progress = {});

}  // namespace kest
