#include "analysis/log_splice.h"

#include <algorithm>
#include <string>

#include "analysis/analysis_errors.h"
#include "log/log_argument.h"
#include "log/log_sheet.h"
#include "log/log_track.h"

namespace kest {

namespace {

std::string LogRange(const TLogSheet& log, size_t i) {
  return "лога " + std::to_string(i + 1) + " (" + ArgumentText(log.Start()) + "–" +
         ArgumentText(log.End()) + ")";
}

void CheckSplices(const std::vector<const TLogSheet*>& logs, const std::vector<int32_t>& at) {
  if (logs.size() < 2) throw EAnalysisError("Для сшивки нужны хотя бы два лога");
  if (at.size() + 1 != logs.size())
    throw EAnalysisError("Глубин сшивки " + std::to_string(at.size()) + ", а логов " +
                         std::to_string(logs.size()) + ": нужно на одну меньше");
  for (size_t i = 1; i < logs.size(); ++i)
    CheckComparable(*logs[0], "1", *logs[i], std::to_string(i + 1));
  for (size_t i = 1; i < at.size(); ++i)
    if (at[i] <= at[i - 1])
      throw EAnalysisError("Глубины сшивки должны возрастать: " + ArgumentText(at[i - 1]) + ", " +
                           ArgumentText(at[i]));
  for (size_t i = 0; i < at.size(); ++i) {
    for (size_t j : {i, i + 1})
      if (at[i] < logs[j]->Start() || at[i] > logs[j]->End())
        throw EAnalysisError("Глубина сшивки " + ArgumentText(at[i]) + " вне " +
                             LogRange(*logs[j], j));
  }
}

}  // namespace

void SpliceLogs(const std::vector<const TLogSheet*>& logs, const std::vector<int32_t>& at,
                TLogSheet& out, float null_value, const AnalysisProgress& progress) {
  CheckSplices(logs, at);
  const TLogSheet& first = *logs.front();
  const int64_t step = first.SheetStep();
  // The first log's grid, from its start to the last log's end.
  const int64_t origin = first.Start();
  const int64_t last = logs.back()->End();
  const int64_t rows = (last - origin) / step + 1;
  if (rows > INT32_MAX) throw EAnalysisError("Слишком длинный составной лог");

  // The parameters in the order the logs name them, each instance once.
  struct Column {
    std::string Parameter;
    int Instance;
    const TLogTrack* Model;
  };
  std::vector<Column> columns;
  for (const TLogSheet* log : logs)
    for (int i = 0; i < log->Count(); ++i) {
      const TLogTrack* t = log->Tracks(i);
      if (t->Foreign()) continue;
      const bool known = std::any_of(columns.begin(), columns.end(), [&](const Column& c) {
        return c.Parameter == t->Parameter() && c.Instance == t->Instance();
      });
      if (!known) columns.push_back({t->Parameter(), t->Instance(), t});
    }

  // Which log gives row r: the splices as row indices.
  std::vector<int64_t> part_end;  // first row of the next part
  for (int32_t a : at) part_end.push_back(std::max<int64_t>(0, (a - origin + step - 1) / step));
  part_end.push_back(rows);

  TLogSheet result;
  result.SetArgument(first.Argument());
  int64_t done = 0;
  const int64_t total = rows * static_cast<int64_t>(columns.size());
  for (const Column& c : columns) {
    auto track = std::make_shared<TLogTrack>();
    track->SetParameter(c.Parameter);
    track->SetArgument(first.Argument());
    track->SetAscending(c.Model->Ascending());
    track->SetStep(static_cast<int32_t>(step));
    track->SetOrigin(static_cast<int32_t>(origin));
    track->LoadSamples(static_cast<int32_t>(rows), [&](float* values) {
      int64_t r = 0;
      for (size_t part = 0; part < logs.size(); ++part) {
        const TLogTrack* source = logs[part]->FindTrack(c.Parameter, c.Instance);
        for (; r < part_end[part]; ++r) {
          const int64_t x = origin + r * step;
          values[r] = source ? LinearValueAt(*source, x, null_value) : null_value;
          if ((++done & 0xFFFF) == 0) ReportProgress(progress, done, total);
        }
      }
    });
    result.AddTrack(track);
  }
  result.UpdateRange();
  result.Params() = first.Params();
  result.Comments() = first.Comments();
  const char* unit = first.Argument() == laTime ? " с" : " м";
  for (int32_t a : at) result.Comments().Add("Сшивка: " + ArgumentText(a) + unit);
  result.SetLasStep(first.LasStep());
  ReportProgress(progress, total, total);
  out.AssignLog(result);
  out.UpdateRange();
}

}  // namespace kest
