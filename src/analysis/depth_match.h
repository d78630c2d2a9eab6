#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/curve_sampling.h"

namespace kest {

class TLogSheet;

// Correlations below this are "not found": such a shift is shown, never applied.
inline constexpr double kMinMatchCorrelation = 0.5;

struct DepthMatchOptions {
  std::string Curve = "GK";  // of the log
  std::string RefCurve;      // of the reference; Curve when empty
  int32_t MaxShift = 5000;   // mm: shifts from -MaxShift to +MaxShift are tried
  int32_t Window = 0;        // mm; 0: one shift for the whole common interval
  float NullValue = kDefaultNullValue;
};

// One interval of the reference's argument and the shift found for it. The log's
// curve at x + Shift matches the reference's at x: the log lies Shift too deep (a
// run recorded with a depth counter reading M too much gives Shift = M). Applying
// it moves the log by -Shift.
struct DepthMatchWindow {
  int32_t Top = 0, Bottom = 0;  // mm
  double Shift = 0;             // mm, refined to a fraction of a step
  double Correlation = 0;       // at the best step of the grid; NaN when undefined
  bool Found = false;           // Correlation >= kMinMatchCorrelation
};

struct DepthMatchResult {
  int32_t Step = 0;                       // the grid the correlation ran on: the log's sheet step
  std::vector<DepthMatchWindow> Windows;  // one unless Options.Window is set
};

// The shift of `log` against `reference` that maximises the correlation of their
// curves (nulls skipped) within ±MaxShift, on the log's grid over the common
// interval, refined by a parabola through the peak and its neighbours. With a
// Window, the common interval is cut into windows of that length (the last one
// takes the rest) and each is matched on its own.
//
// Raises EAnalysisError for logs of different arguments, a curve missing, no
// common interval ("Нет общего интервала: ..."), a window longer than the common
// interval, a MaxShift not below the common interval, and a curve constant over the
// whole interval ("Кривая \"GK\" постоянна: корреляция не определена").
DepthMatchResult MatchDepth(const TLogSheet& reference, const TLogSheet& log,
                            const DepthMatchOptions& options,
                            const AnalysisProgress& progress = {});

// The best shift (in steps of the grid, refined) of `b` against `a` within ±max_lag:
// b[k + lag] pairs with a[k]; NaN marks a missing value. Correlation is NaN when no
// lag has two varying series. Exposed for the benchmark and the tests.
struct LagMatch {
  double Lag = 0;
  double Correlation = 0;
};
LagMatch BestLag(const std::vector<double>& a, const std::vector<double>& b, int64_t b_offset,
                 int64_t max_lag, const AnalysisProgress& progress = {});

}  // namespace kest
