#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/curve_sampling.h"

namespace kest {

class TLogSheet;

// One curve of the main and repeat pass over their common interval: the difference
// repeat - main at the main pass's samples (the repeat read linearly there, nulls
// skipped), its mean and standard deviation, and the correlation of the two.
struct RepeatCurveStats {
  std::string Curve;
  int32_t Top = 0, Bottom = 0;  // mm (ms) of the common interval
  int64_t Pairs = 0;            // samples compared
  double MeanDifference = 0;
  double StdDifference = 0;  // sample standard deviation (n - 1)
  double Correlation = 0;    // NaN when either curve is constant
};

// Every curve both passes hold (the argument's own track left out), in the main
// pass's order. Raises EAnalysisError for passes of different arguments, no common
// interval, or no curve in common.
std::vector<RepeatCurveStats> CompareRepeat(const TLogSheet& main, const TLogSheet& repeat,
                                            float null_value = kDefaultNullValue);

// The table as text, one line per curve: "MNEM top bottom pairs mean std r".
std::string RepeatStatsText(const std::vector<RepeatCurveStats>& stats);
// As JSON: {"curves":[{"curve":..,"top":..,...}]} (NaN as null).
std::string RepeatStatsJson(const std::vector<RepeatCurveStats>& stats);
// "Контроль повторного замера" as an HTML report (the files named, a row per curve),
// for the report writer that makes the ODT and PDF.
std::string RepeatReportHtml(const std::vector<RepeatCurveStats>& stats,
                             const std::string& main_name, const std::string& repeat_name);

}  // namespace kest
