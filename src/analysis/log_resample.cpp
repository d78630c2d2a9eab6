#include "analysis/log_resample.h"

#include <algorithm>
#include <cmath>

#include "analysis/analysis_errors.h"
#include "log/las_filer.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "support/code_page.h"
#include "support/rounding.h"

namespace kest {

namespace {

int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

float ValueAt(const TLogTrack& t, int64_t x, int64_t step, ResampleMethod method,
              float null_value) {
  switch (method) {
    case ResampleMethod::Nearest:
      return NearestValueAt(t, x, null_value);
    case ResampleMethod::Linear:
      return LinearValueAt(t, x, null_value);
    case ResampleMethod::Peak:
      break;
  }
  return LasPeakValue(t, x, step, t.Step(), null_value, !t.Ascending());
}

}  // namespace

ResampleMethod ResampleMethodByName(const std::string& name) {
  if (name == "nearest") return ResampleMethod::Nearest;
  if (name == "linear") return ResampleMethod::Linear;
  if (name == "peak") return ResampleMethod::Peak;
  throw EAnalysisError("Способ \"" + name + "\" неизвестен: nearest, linear или peak");
}

void ResampleLog(const TLogSheet& in, TLogSheet& out, int32_t step, ResampleMethod method,
                 float null_value, const AnalysisProgress& progress) {
  if (step <= 0) throw EAnalysisError("Шаг должен быть больше нуля");
  if (!in.HasRange()) throw EAnalysisError("Лог не содержит данных");
  const int64_t first = -FloorDiv(-static_cast<int64_t>(in.Start()), step) * step;
  const int64_t last = FloorDiv(in.End(), step) * step;
  if (last < first) throw EAnalysisError("Лог короче шага");
  const int64_t rows = (last - first) / step + 1;
  if (rows > INT32_MAX) throw EAnalysisError("Слишком мелкий шаг для этого лога");
  TLogSheet result;
  result.SetArgument(in.Argument());
  const int64_t total = rows * in.Count();
  int64_t done = 0;
  for (int i = 0; i < in.Count(); ++i) {
    const TLogTrack& source = *in.Tracks(i);
    if (source.Foreign()) continue;
    auto track = std::make_shared<TLogTrack>();
    track->SetParameter(source.Parameter());
    track->SetArgument(source.Argument());
    track->SetAscending(source.Ascending());
    track->SetStep(step);
    track->SetOrigin(static_cast<int32_t>(first));
    track->LoadSamples(static_cast<int32_t>(rows), [&](float* values) {
      for (int64_t r = 0; r < rows; ++r) {
        values[r] = ValueAt(source, first + r * step, step, method, null_value);
        if ((++done & 0xFFFF) == 0) ReportProgress(progress, done, total);
      }
    });
    track->UpdateChecksum();
    result.AddTrack(track);
  }
  result.UpdateRange();
  result.Params() = in.Params();
  result.Comments() = in.Comments();
  result.SetLasStep(in.LasStep());
  ReportProgress(progress, total, total);
  out.AssignLog(result);
  out.UpdateRange();
}

std::vector<float> FilterSamples(const TLogTrack& track, int32_t length, FilterKind kind,
                                 float null_value) {
  const int64_t half = std::max<int64_t>(0, RoundHalfEven32(length / 2.0 / track.Step()));
  const int64_t n = track.Count();
  std::vector<float> out(static_cast<size_t>(n), null_value);
  const float* s = track.Samples();
  if (kind == FilterKind::Mean) {
    // Running sums of the present samples and their count.
    std::vector<double> sum(static_cast<size_t>(n + 1), 0.0);
    std::vector<int64_t> count(static_cast<size_t>(n + 1), 0);
    for (int64_t i = 0; i < n; ++i) {
      const bool present = !IsNullSample(s[i], null_value);
      sum[i + 1] = sum[i] + (present ? s[i] : 0.0);
      count[i + 1] = count[i] + present;
    }
    for (int64_t i = 0; i < n; ++i) {
      if (IsNullSample(s[i], null_value)) continue;
      const int64_t from = std::max<int64_t>(0, i - half), to = std::min(n, i + half + 1);
      out[i] =
          static_cast<float>((sum[to] - sum[from]) / static_cast<double>(count[to] - count[from]));
    }
    return out;
  }
  std::vector<float> window;
  for (int64_t i = 0; i < n; ++i) {
    if (IsNullSample(s[i], null_value)) continue;
    window.clear();
    for (int64_t j = std::max<int64_t>(0, i - half); j < std::min(n, i + half + 1); ++j)
      if (!IsNullSample(s[j], null_value)) window.push_back(s[j]);
    const size_t mid = window.size() / 2;
    std::nth_element(window.begin(), window.begin() + mid, window.end());
    float m = window[mid];
    if (window.size() % 2 == 0) {
      // An even count (nulls skipped): the mean of the two middle values.
      const float below = *std::max_element(window.begin(), window.begin() + mid);
      m = static_cast<float>((static_cast<double>(below) + m) / 2);
    }
    out[i] = m;
  }
  return out;
}

std::string AddFilteredTrack(TLogSheet& sheet, const std::string& curve, int32_t length,
                             FilterKind kind, float null_value) {
  const TLogTrack& source = AnalysedTrack(sheet, curve, "");
  if (length < source.Step())
    throw EAnalysisError("Длина фильтра " + ArgumentText(length) + " меньше шага " +
                         ArgumentText(source.Step()));
  const int64_t span = int64_t{source.End()} - source.Origin();
  if (length > span)
    throw EAnalysisError("Длина фильтра " + ArgumentText(length) + " больше длины кривой " +
                         ArgumentText(span));
  std::vector<float> values = FilterSamples(source, length, kind, null_value);
  const std::string name = source.Parameter() + (kind == FilterKind::Mean ? "_MEAN" : "_MEDIAN");
  SheetLock lock(sheet);
  if (TLogTrack* old = sheet.FindTrack(name)) sheet.RemoveTrack(old);
  auto track = std::make_shared<TLogTrack>();
  track->SetArgument(source.Argument());
  track->SetParameter(name);
  track->SetAscending(source.Ascending());
  track->SetStep(source.Step());
  track->SetOrigin(source.Origin());
  track->LoadSamples(values.data(), static_cast<int32_t>(values.size()));
  track->UpdateChecksum();
  sheet.AddTrack(track);
  sheet.UpdateRange();
  sheet.MarkStructureChanged();
  return name;
}

}  // namespace kest
