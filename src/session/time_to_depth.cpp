#include "session/time_to_depth.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "log/log_argument.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "session/session_errors.h"
#include "support/number_text.h"

namespace kest {

namespace {

constexpr double kSecondsPerDay = 86400;
// Speed is taken over this many seconds either side of a sample.
constexpr double kSpeedWindowS = 5;
constexpr size_t kCorrelationSamples = 2000;
// Below this the pressure does not follow the cable (another run, another tool, a
// log without a pressure curve): an offset found there would be a guess.
constexpr double kLeastCorrelation = 0.7;

// Seconds since the log's date (dd.mm.yyyy) began, at its rows.
double DaySeconds(const TLogSheet& sheet) {
  std::string date = sheet.Params().Value("StartTime");
  int d = 0, m = 0, y = 0;
  if (date.size() != 10 || date[2] != '.' || date[5] != '.') return 0;
  auto dd = ParseInt(date.substr(0, 2)), mm = ParseInt(date.substr(3, 2)),
       yy = ParseInt(date.substr(6, 4));
  if (!dd || !mm || !yy) return 0;
  d = *dd, m = *mm, y = *yy;
  if (m < 1 || m > 12 || d < 1 || d > 31) return 0;
  // Days from civil (proleptic Gregorian).
  y -= m <= 2;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return (era * 146097.0 + doe - 719468) * kSecondsPerDay;
}

bool BothDated(const TLogSheet& a, const TLogSheet& b) {
  return DaySeconds(a) != 0 && DaySeconds(b) != 0;
}

// A track's samples at times (seconds).
struct Series {
  const TLogTrack* track = nullptr;
  double base = 0;  // seconds of the sheet's date
  double Time(int32_t i) const { return base + track->ArgumentOf(i) / 1000.0; }
};

// The cable depth against time from the surface log.
class DepthCurve {
 public:
  DepthCurve(const TLogTrack& depth, double base, float null_value)
      : depth_(depth), base_(base), null_(null_value) {
    step_s_ = depth.Step() / 1000.0;
    t0_ = base_ + depth.Origin() / 1000.0;
    if (!depth.Ascending()) t0_ = base_ + depth.ArgumentOf(depth.Count() - 1) / 1000.0;
  }
  bool Covers(double t) const { return t >= t0_ && t <= t0_ + (depth_.Count() - 1) * step_s_; }
  double At(double t) const {
    const int32_t n = depth_.Count();
    double x = std::clamp((t - t0_) / step_s_, 0.0, static_cast<double>(n - 1));
    auto i = static_cast<int32_t>(std::floor(x));
    if (i >= n - 1) return Sample(n - 1);
    double f = x - i;
    return Sample(i) * (1 - f) + Sample(i + 1) * f;
  }
  // The depth at t, and the speed there, come from records that hold a depth: none
  // of the records either side of t and of t -/+ the speed window is a gap.
  bool Known(double t) const {
    if (!Covers(t)) return false;
    for (double u : {t - kSpeedWindowS, t, t + kSpeedWindowS}) {
      const int32_t n = depth_.Count();
      double x = std::clamp((u - t0_) / step_s_, 0.0, static_cast<double>(n - 1));
      auto i = static_cast<int32_t>(std::floor(x));
      if (IsNullSample(Sample(i), null_) || (i + 1 < n && IsNullSample(Sample(i + 1), null_)))
        return false;
    }
    return true;
  }
  // Metres per hour, down positive.
  double Speed(double t) const {
    return (At(t + kSpeedWindowS) - At(t - kSpeedWindowS)) / (2 * kSpeedWindowS) * 3600;
  }

 private:
  float Sample(int32_t i) const {
    return depth_.Ascending() ? depth_.Sample(i) : depth_.Sample(depth_.Count() - 1 - i);
  }
  const TLogTrack& depth_;
  double base_, step_s_ = 1, t0_ = 0;
  float null_;
};

const TLogTrack& SurfaceDepth(const TLogSheet& surface) {
  if (surface.Argument() != laTime)
    throw ESessionError("Журнал наземного регистратора должен быть по времени");
  const TLogTrack* depth = surface.FindTrack("DEPTH");
  if (!depth || depth->Count() < 2 || depth->Step() <= 0)
    throw ESessionError("В журнале наземного регистратора нет глубины (DEPTH)");
  return *depth;
}

const TLogTrack* PressureOf(const TLogSheet& tool) {
  if (const TLogTrack* p = tool.FindTrack("PRESSURE")) return p;
  return tool.Count() > 0 ? tool.Tracks(0) : nullptr;
}

double Correlation(const Series& s, const DepthCurve& depth, double offset, size_t stride,
                   float null_value) {
  double n = 0, sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
  for (int32_t i = 0; i < s.track->Count(); i += static_cast<int32_t>(stride)) {
    double t = s.Time(i) + offset;
    float x = s.track->Sample(i);
    if (!depth.Known(t) || !std::isfinite(x) || IsNullSample(x, null_value)) continue;
    double y = depth.At(t);
    n += 1, sx += x, sy += y, sxx += double{x} * x, syy += y * y, sxy += x * y;
  }
  // At least a quarter of the samples must meet the surface log.
  if (n < 10 || n * 4 * static_cast<double>(stride) < s.track->Count()) return -2;
  double vx = sxx - sx * sx / n, vy = syy - sy * sy / n;
  if (vx <= 0 || vy <= 0) return -2;
  return (sxy - sx * sy / n) / std::sqrt(vx * vy);
}

}  // namespace

double FindClockOffset(const TLogSheet& tool, const TLogSheet& surface, double search_s,
                       double* correlation, float null_value) {
  const TLogTrack& depth_track = SurfaceDepth(surface);
  const TLogTrack* pressure = PressureOf(tool);
  if (!pressure || pressure->Count() < 10)
    throw ESessionError("В журнале прибора нет кривой для поиска смещения часов");
  const bool dated = BothDated(tool, surface);
  Series s{pressure, dated ? DaySeconds(tool) : 0};
  DepthCurve depth(depth_track, dated ? DaySeconds(surface) : 0, null_value);
  const size_t stride =
      std::max<size_t>(1, static_cast<size_t>(pressure->Count()) / kCorrelationSamples);
  double best = 0, best_r = -2;
  auto scan = [&](double from, double to, double step) {
    const auto steps = static_cast<int64_t>(std::floor((to - from) / step + 0.5));
    for (int64_t k = 0; k <= steps; ++k) {
      const double o = from + static_cast<double>(k) * step;
      double r = Correlation(s, depth, o, stride, null_value);
      if (r > best_r + 1e-12) best_r = r, best = o;
    }
  };
  scan(-search_s, search_s, 10);
  if (best_r <= -2)
    throw ESessionError("Журналы прибора и регистратора не пересекаются по времени");
  double centre = best;
  scan(centre - 10, centre + 10, 1);
  centre = best;
  scan(centre - 1, centre + 1, 0.1);
  if (correlation) *correlation = best_r;
  if (best_r < kLeastCorrelation)
    throw ESessionError(
        "Смещение часов не найдено: давление прибора не следует глубине "
        "регистратора (лучшая корреляция " +
        FormatFixed(best_r, 2) + "). Введите смещение часов.");
  return std::round(best * 10) / 10;
}

TimeToDepthResult BuildDepthLog(const TLogSheet& tool, const TLogSheet& surface, TLogSheet& out,
                                const TimeToDepthOptions& options) {
  if (tool.Argument() != laTime || tool.Count() == 0)
    throw ESessionError("Журнал прибора должен быть по времени");
  if (options.step_mm < 1) throw ESessionError("Шаг по глубине должен быть не меньше 1 мм");
  const TLogTrack& depth_track = SurfaceDepth(surface);
  TimeToDepthResult result;
  if (options.offset_s) {
    result.OffsetS = *options.offset_s;
  } else {
    result.OffsetS =
        FindClockOffset(tool, surface, options.search_s, &result.Correlation, options.null_value);
    result.OffsetFound = true;
  }
  const bool dated = BothDated(tool, surface);
  DepthCurve depth(depth_track, dated ? DaySeconds(surface) : 0, options.null_value);
  const double tool_base = dated ? DaySeconds(tool) : 0;
  const double step_m = options.step_mm / 1000.0;

  // The depth of each row of the tool's log, NaN when it is not taken.
  const TLogTrack& first = *tool.Tracks(0);
  const int32_t rows = first.Count();
  std::vector<double> at(static_cast<size_t>(rows), std::numeric_limits<double>::quiet_NaN());
  double top = std::numeric_limits<double>::infinity(), bottom = -top;
  for (int32_t i = 0; i < rows; ++i) {
    if (options.progress && i % 4096 == 0 && !options.progress(static_cast<int>(i * 50LL / rows)))
      throw ESessionError("Прервано");
    double t = tool_base + first.ArgumentOf(i) / 1000.0 + result.OffsetS;
    if (!depth.Known(t)) {
      ++result.Outside;
      continue;
    }
    double v = depth.Speed(t);
    bool still = std::fabs(v) < options.still_m_per_h;
    if (still && !options.keep_stationary) {
      ++result.Stationary;
      continue;
    }
    if (!still && (v > 0) != (options.run == CableRun::Down)) {
      ++result.OtherRun;
      continue;
    }
    double d = depth.At(t);
    at[static_cast<size_t>(i)] = d;
    top = std::min(top, d);
    bottom = std::max(bottom, d);
    ++result.Used;
  }
  if (result.Used == 0)
    throw ESessionError(options.run == CableRun::Down ? "Нет замеров на спуске"
                                                      : "Нет замеров на подъёме");

  const auto top_step = static_cast<int64_t>(std::floor(top / step_m + 1e-9));
  const auto bottom_step = static_cast<int64_t>(std::ceil(bottom / step_m - 1e-9));
  const int64_t out_rows = bottom_step - top_step + 1;
  if (out_rows > (int64_t{1} << 26)) throw ESessionError("Слишком много строк по глубине");
  result.Rows = static_cast<int32_t>(out_rows);
  result.TopM = static_cast<double>(top_step) * step_m;
  result.BottomM = static_cast<double>(bottom_step) * step_m;

  SheetLock lock(out);
  out.Clear();
  out.SetArgument(laDepth);
  out.Params() = tool.Params();
  for (int k = 0; k < tool.Count(); ++k) {
    const TLogTrack& src = *tool.Tracks(k);
    if (options.progress && !options.progress(50 + k * 50 / tool.Count()))
      throw ESessionError("Прервано");
    std::vector<double> sum(static_cast<size_t>(out_rows), 0);
    std::vector<int32_t> count(static_cast<size_t>(out_rows), 0);
    std::vector<char> missing(static_cast<size_t>(out_rows), 0);  // only nulls fell there
    for (int32_t i = 0; i < std::min(rows, src.Count()); ++i) {
      double d = at[static_cast<size_t>(i)];
      float x = src.Sample(i);
      if (std::isnan(d)) continue;
      auto row = static_cast<int64_t>(std::llround(d / step_m)) - top_step;
      if (row < 0 || row >= out_rows) continue;
      if (!std::isfinite(x) || IsNullSample(x, options.null_value)) {
        missing[static_cast<size_t>(row)] = 1;
        continue;
      }
      sum[static_cast<size_t>(row)] += x;
      ++count[static_cast<size_t>(row)];
    }
    std::vector<float> values(static_cast<size_t>(out_rows), options.null_value);
    int64_t last = -1;
    for (int64_t r = 0; r < out_rows; ++r) {
      auto ri = static_cast<size_t>(r);
      if (count[ri] == 0) continue;
      values[ri] = static_cast<float>(sum[ri] / count[ri]);
      // Steps between two filled ones: a straight line.
      for (int64_t g = last + 1; last >= 0 && g < r; ++g) {
        if (missing[static_cast<size_t>(g)]) continue;
        double f = static_cast<double>(g - last) / static_cast<double>(r - last);
        values[static_cast<size_t>(g)] =
            static_cast<float>(values[static_cast<size_t>(last)] * (1 - f) + values[ri] * f);
      }
      last = r;
    }
    TLogTrack* track = out.NewTrack(src.Parameter());
    track->SetStep(options.step_mm);
    track->SetOrigin(static_cast<int32_t>(top_step * options.step_mm));
    track->LoadSamples(values.data(), static_cast<int32_t>(out_rows));
  }
  char note[160];
  std::snprintf(note, sizeof note, "Привязка к глубине: смещение часов %.1f с, %s", result.OffsetS,
                options.run == CableRun::Down ? "спуск" : "подъём");
  out.Comments().Add(note);
  out.UpdateRange();
  if (options.progress) options.progress(100);
  return result;
}

}  // namespace kest
