#include "analysis/depth_match.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/analysis_errors.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "support/code_page.h"

namespace kest {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Pearson's r of a[k] and b[k + shift] over the pairs where both are present; NaN
// when fewer than `min_pairs` pairs or either side does not vary.
double Correlation(const std::vector<double>& a, const std::vector<double>& b, int64_t shift,
                   int64_t min_pairs) {
  const int64_t n = static_cast<int64_t>(a.size());
  const int64_t from = std::max<int64_t>(0, -shift);
  const int64_t to = std::min<int64_t>(n, static_cast<int64_t>(b.size()) - shift);
  double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
  int64_t pairs = 0;
  const double* pa = a.data();
  const double* pb = b.data() + shift;
  for (int64_t k = from; k < to; ++k) {
    const double x = pa[k], y = pb[k];
    if (std::isnan(x) || std::isnan(y)) continue;
    sa += x;
    sb += y;
    saa += x * x;
    sbb += y * y;
    sab += x * y;
    ++pairs;
  }
  if (pairs < min_pairs || pairs < 3) return kNaN;
  const double m = static_cast<double>(pairs);
  const double va = saa - sa * sa / m, vb = sbb - sb * sb / m;
  // Sums of squares a rounding error away from zero are a constant series.
  if (!(va > 1e-12 * std::max(1.0, saa)) || !(vb > 1e-12 * std::max(1.0, sbb))) return kNaN;
  return std::clamp((sab - sa * sb / m) / std::sqrt(va * vb), -1.0, 1.0);
}

int64_t PresentCount(const std::vector<double>& v) {
  return std::count_if(v.begin(), v.end(), [](double x) { return !std::isnan(x); });
}

bool Varies(const std::vector<double>& v) {
  double first = kNaN;
  for (double x : v) {
    if (std::isnan(x)) continue;
    if (std::isnan(first))
      first = x;
    else if (x != first)
      return true;
  }
  return false;
}

// Matches one interval [top, bottom] of the log's grid.
DepthMatchWindow MatchInterval(const TLogTrack& ref, const TLogTrack& log, int64_t top,
                               int64_t bottom, int64_t step, int64_t max_lag, float null_value,
                               const AnalysisProgress& progress) {
  const int64_t n = (bottom - top) / step + 1;
  std::vector<double> a = GridValues(ref, top, step, n, null_value);
  std::vector<double> b = GridValues(log, top - max_lag * step, step, n + 2 * max_lag, null_value);
  LagMatch m = BestLag(a, b, max_lag, max_lag, progress);
  DepthMatchWindow w;
  w.Top = static_cast<int32_t>(top);
  w.Bottom = static_cast<int32_t>(bottom);
  w.Shift = m.Lag * static_cast<double>(step);
  w.Correlation = m.Correlation;
  w.Found = m.Correlation >= kMinMatchCorrelation;
  return w;
}

}  // namespace

LagMatch BestLag(const std::vector<double>& a, const std::vector<double>& b, int64_t b_offset,
                 int64_t max_lag, const AnalysisProgress& progress) {
  // A lag counts only when at least half the reference's values find a partner, so
  // a few pairs at the edge of the range cannot win with a chance correlation.
  const int64_t min_pairs = std::max<int64_t>(3, PresentCount(a) / 2);
  std::vector<double> r(static_cast<size_t>(2 * max_lag + 1));
  int64_t best = -1;
  for (int64_t lag = -max_lag; lag <= max_lag; ++lag) {
    if (((lag + max_lag) & 15) == 0) ReportProgress(progress, lag + max_lag, 2 * max_lag + 1);
    const double c = Correlation(a, b, b_offset + lag, min_pairs);
    r[static_cast<size_t>(lag + max_lag)] = c;
    if (!std::isnan(c) && (best < 0 || c > r[static_cast<size_t>(best)])) best = lag + max_lag;
  }
  if (best < 0) return {0, kNaN};
  LagMatch m{static_cast<double>(best - max_lag), r[static_cast<size_t>(best)]};
  // The parabola through the peak and its two neighbours puts the maximum between
  // grid steps.
  if (best > 0 && best < 2 * max_lag) {
    const double rm = r[static_cast<size_t>(best - 1)], r0 = m.Correlation,
                 rp = r[static_cast<size_t>(best + 1)];
    const double curvature = rm - 2 * r0 + rp;
    if (!std::isnan(rm) && !std::isnan(rp) && curvature < 0)
      m.Lag += std::clamp(0.5 * (rm - rp) / curvature, -0.5, 0.5);
  }
  return m;
}

DepthMatchResult MatchDepth(const TLogSheet& reference, const TLogSheet& log,
                            const DepthMatchOptions& options, const AnalysisProgress& progress) {
  CheckComparable(reference, "сравнения", log, "для увязки");
  const std::string ref_name = options.RefCurve.empty() ? options.Curve : options.RefCurve;
  const TLogTrack& ref = AnalysedTrack(reference, ref_name, "сравнения");
  const TLogTrack& curve = AnalysedTrack(log, options.Curve, "для увязки");
  if (options.MaxShift <= 0) throw EAnalysisError("Наибольший сдвиг должен быть больше нуля");
  if (options.Window < 0) throw EAnalysisError("Длина окна должна быть больше нуля");

  DepthMatchResult result;
  const int64_t step = curve.Step();
  result.Step = static_cast<int32_t>(step);
  // The common interval on the log's grid, so the log is read at its own samples.
  const int64_t lo = std::max<int64_t>(ref.Origin(), curve.Origin());
  const int64_t hi = std::min<int64_t>(ref.End(), curve.End());
  const int64_t top = curve.Origin() + (lo - curve.Origin() + step - 1) / step * step;
  const int64_t bottom = curve.Origin() + (hi - curve.Origin()) / step * step;
  if (bottom - top < 2 * step)
    throw EAnalysisError("Нет общего интервала: лог " + ArgumentText(curve.Origin()) + "–" +
                         ArgumentText(curve.End()) + ", сравнение " + ArgumentText(ref.Origin()) +
                         "–" + ArgumentText(ref.End()));
  const int64_t length = bottom - top;
  if (options.Window > length)
    throw EAnalysisError("Окно " + ArgumentText(options.Window) + " длиннее общего интервала " +
                         ArgumentText(length));
  if (options.MaxShift >= (options.Window > 0 ? options.Window : length))
    throw EAnalysisError("Наибольший сдвиг " + ArgumentText(options.MaxShift) +
                         " не меньше длины " + (options.Window > 0 ? "окна" : "общего интервала"));
  const int64_t max_lag = std::max<int64_t>(1, options.MaxShift / step);

  std::vector<std::pair<int64_t, int64_t>> windows;
  if (options.Window == 0) {
    windows.emplace_back(top, bottom);
  } else {
    const int64_t w = std::max<int64_t>(step, options.Window / step * step);
    for (int64_t from = top; from + w <= bottom || from == top; from += w)
      windows.emplace_back(from, std::min(from + w, bottom));
    windows.back().second = bottom;  // the last window takes the rest
  }
  // Progress counts lags over all windows.
  const int64_t lags = 2 * max_lag + 1;
  const int64_t total = lags * static_cast<int64_t>(windows.size());
  for (size_t i = 0; i < windows.size(); ++i) {
    AnalysisProgress each;
    if (progress)
      each = [&, done = lags * static_cast<int64_t>(i)](int64_t d, int64_t) {
        return progress(done + d, total);
      };
    result.Windows.push_back(MatchInterval(ref, curve, windows[i].first, windows[i].second, step,
                                           max_lag, options.NullValue, each));
  }
  ReportProgress(progress, total, total);
  if (options.Window == 0 && std::isnan(result.Windows[0].Correlation)) {
    const bool ref_varies =
        Varies(GridValues(ref, top, step, length / step + 1, options.NullValue));
    throw EAnalysisError("Кривая \"" + UpperCase(ref_varies ? options.Curve : ref_name) +
                         "\" постоянна: корреляция не определена");
  }
  return result;
}

}  // namespace kest
