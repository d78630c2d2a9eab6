#include "analysis/curve_sampling.h"

#include <cmath>
#include <limits>

#include "analysis/analysis_errors.h"
#include "log/log_argument.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "support/code_page.h"
#include "support/number_text.h"

namespace kest {

namespace {

// Floor of a / b for b > 0.
int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

}  // namespace

float LinearValueAt(const TLogTrack& track, int64_t x, float null_value) {
  const int64_t step = track.Step();
  const int64_t offset = x - track.Origin();
  const int64_t i = FloorDiv(offset, step);
  const int64_t rest = offset - i * step;
  if (i < 0 || i >= track.Count()) return null_value;
  const float a = track.Sample(static_cast<int32_t>(i));
  // On a sample the sample itself, bit for bit.
  if (rest == 0) return IsNullSample(a, null_value) ? null_value : a;
  if (i + 1 >= track.Count()) return null_value;
  const float b = track.Sample(static_cast<int32_t>(i + 1));
  if (IsNullSample(a, null_value) || IsNullSample(b, null_value)) return null_value;
  const double t = static_cast<double>(rest) / static_cast<double>(step);
  return static_cast<float>(a + (static_cast<double>(b) - a) * t);
}

float NearestValueAt(const TLogTrack& track, int64_t x, float null_value) {
  const int64_t step = track.Step();
  const int64_t offset = x - track.Origin();
  int64_t i = FloorDiv(offset, step);
  if (2 * (offset - i * step) > step) ++i;
  if (i < 0 || i >= track.Count()) return null_value;
  const float v = track.Sample(static_cast<int32_t>(i));
  return IsNullSample(v, null_value) ? null_value : v;
}

std::vector<double> GridValues(const TLogTrack& track, int64_t from, int64_t step, int64_t n,
                               float null_value) {
  std::vector<double> values(static_cast<size_t>(std::max<int64_t>(n, 0)));
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (int64_t k = 0; k < n; ++k) {
    const float v = LinearValueAt(track, from + k * step, null_value);
    values[static_cast<size_t>(k)] = IsNullSample(v, null_value) ? nan : v;
  }
  return values;
}

const TLogTrack& AnalysedTrack(const TLogSheet& sheet, const std::string& mnemonic,
                               const std::string& what) {
  std::string name = mnemonic;
  int n = 0;
  const auto hash = mnemonic.rfind('#');
  if (hash != std::string::npos && hash > 0) {
    auto number = ParseInt(mnemonic.substr(hash + 1));
    if (number && *number >= 0) {
      name = mnemonic.substr(0, hash);
      n = *number;
    }
  }
  const TLogTrack* track = sheet.FindTrack(name, n);
  if (!track || track->Count() == 0)
    throw EAnalysisError("Кривая \"" + UpperCase(mnemonic) + "\" не найдена" +
                         (what.empty() ? std::string() : " в логе " + what));
  return *track;
}

void CheckComparable(const TLogSheet& a, const std::string& a_name, const TLogSheet& b,
                     const std::string& b_name) {
  if (a.Argument() != b.Argument())
    throw EAnalysisError(std::string("Логи разных аргументов: ") + ArgumentName(a.Argument()) +
                         " и " + ArgumentName(b.Argument()));
  for (const auto& [sheet, name] : {std::pair{&a, &a_name}, std::pair{&b, &b_name}})
    if (!sheet->HasRange()) throw EAnalysisError("Лог " + *name + " не содержит данных");
}

std::string ArgumentText(int64_t x) { return FormatFixed(static_cast<double>(x) / 1000.0, 2); }

void ReportProgress(const AnalysisProgress& progress, int64_t done, int64_t total) {
  if (progress && !progress(done, total)) throw EAnalysisCancelled("Операция прервана");
}

}  // namespace kest
