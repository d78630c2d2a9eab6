#include "memtool/task_grid.h"

#include <charconv>

#include "memtool/memtool_errors.h"
#include "memtool/tool_codec.h"

namespace kest {

namespace {

std::string Two(int v) {
  std::string s = std::to_string(v);
  return s.size() < 2 ? "0" + s : s;
}

std::optional<int> Field(const std::string& text, size_t pos, int low, int high) {
  if (text.size() < pos + 2) return std::nullopt;
  int v = 0;
  const char* first = text.data() + pos;
  // A blank in a masked field reads as a digit missing.
  auto [end, ec] = std::from_chars(first, first + 2, v);
  if (ec != std::errc() || end != first + 2 || v < low || v > high) return std::nullopt;
  return v;
}

std::optional<int32_t> Period(const std::string& text) {
  int32_t v = 0;
  size_t b = text.find_first_not_of(' '), e = text.find_last_not_of(' ');
  if (b == std::string::npos) return 0;
  auto [end, ec] = std::from_chars(text.data() + b, text.data() + e + 1, v);
  if (ec != std::errc() || end != text.data() + e + 1) return std::nullopt;
  return v;
}

const char* const kDayNames[] = {"Вс", "Пн", "Вт", "Ср", "Чт", "Пт", "Сб"};

}  // namespace

TTaskGrid::TTaskGrid() {
  rows_.push_back({"1", "1", "01.01.01-12:00", "01.01.01-12:00", "1", "2", "3", "4"});
}

const char* TTaskGrid::ColumnTitle(int column) {
  static constexpr const char* kTitles[kColumnCount] = {
      "№", "*", "Начало", "Завершение", "Давление", "Температура", "Расход", "Локатор муфт"};
  return column >= 0 && column < kColumnCount ? kTitles[column] : "";
}

const std::string& TTaskGrid::Cell(int column, int task) const {
  return rows_.at(static_cast<size_t>(task)).at(static_cast<size_t>(column));
}

void TTaskGrid::SetCell(int column, int task, std::string text) {
  rows_.at(static_cast<size_t>(task)).at(static_cast<size_t>(column)) = std::move(text);
}

void TTaskGrid::ToggleMode(int task) {
  std::string& mode = rows_.at(static_cast<size_t>(task))[kMode];
  mode = mode == "1" ? "2" : "1";
}

bool TTaskGrid::AddTask(const ToolTime& now) {
  if (TaskCount() >= kMaxRows) return false;
  std::string at = FormatDateTime(MakeTaskTime(now.Year, now.Month, now.Day, now.Hour, now.Minute));
  rows_.push_back({std::to_string(TaskCount() + 1), "1", at, at, "0", "0", "0", "0"});
  return true;
}

bool TTaskGrid::DeleteTask() {
  if (TaskCount() <= 1) return false;
  rows_.pop_back();
  return true;
}

std::optional<TTaskTime> TTaskGrid::ParseDateTime(const std::string& text) {
  auto day = Field(text, 0, 1, 31), month = Field(text, 3, 1, 12), year = Field(text, 6, 0, 99);
  auto hour = Field(text, 9, 0, 23), minute = Field(text, 12, 0, 59);
  if (!day || !month || !year || !hour || !minute) return std::nullopt;
  return MakeTaskTime(2000 + *year, *month, *day, *hour, *minute);
}

std::string TTaskGrid::FormatDateTime(const TTaskTime& t) {
  return Two(t.Day) + "." + Two(t.Month) + "." + Two(t.Year % 100) + "-" + Two(t.Hour) + ":" +
         Two(t.Minute);
}

std::string TTaskGrid::CheckCell(int column, int task) const {
  if (column != kStart && column != kEnd) return {};
  if (ParseDateTime(Cell(column, task))) return {};
  return std::string("Недопустимое значение даты-времени в ячейке: '") + ColumnTitle(column) +
         "' задания '" + std::to_string(task + 1) + "'";
}

std::string TTaskGrid::CheckTable() const {
  for (int task = 0; task < TaskCount(); ++task)
    for (int column : {kStart, kEnd})
      if (auto problem = CheckCell(column, task); !problem.empty()) return problem;
  TTaskDefTable table;
  table.Resize(TaskCount());
  for (int task = 0; task < TaskCount(); ++task) {
    table.Tasks(task).Start = *ParseDateTime(Cell(kStart, task));
    table.Tasks(task).End = *ParseDateTime(Cell(kEnd, task));
  }
  for (int i = 0; i < TaskCount(); ++i)
    for (int j = i + 1; j < TaskCount(); ++j) {
      int64_t s1 = TaskMinutes(table.Tasks(i).Start), e1 = TaskMinutes(table.Tasks(i).End);
      int64_t s2 = TaskMinutes(table.Tasks(j).Start), e2 = TaskMinutes(table.Tasks(j).End);
      if (s1 >= e1 || s2 >= e2 || (s1 <= e2 && s2 <= e1))
        return "Пересечение заданий " + std::to_string(i + 1) + " и " + std::to_string(j + 1);
    }
  return {};
}

void TTaskGrid::BuildTable(TTaskDefTable& table) const {
  if (auto problem = CheckTable(); !problem.empty()) throw ETaskTableError(problem);
  TTaskDefTable built;
  built.Resize(TaskCount());
  built.SetChannelCount(kColumnCount - 4);
  for (int task = 0; task < TaskCount(); ++task) {
    TTask& t = built.Tasks(task);
    t.Start = *ParseDateTime(Cell(kStart, task));
    t.End = *ParseDateTime(Cell(kEnd, task));
    t.ComputeDuration();
    for (int c = 0; c < 4; ++c) {
      auto p = Period(Cell(kPressure + c, task));
      if (!p || *p < -0x7FFF || *p > 0x7FFF)
        throw ETaskTableError(std::string("Недопустимый период в ячейке: '") +
                              ColumnTitle(kPressure + c) + "' задания '" +
                              std::to_string(task + 1) + "'");
      t.Tracks[static_cast<size_t>(c)].Period = *p;
    }
    if (Cell(kMode, task) != "1") {
      t.Mode = TTask::kBurst;
      for (auto& track : t.Tracks) track.Period = 0;
      t.Tracks[0].Period = kBurstPeriod;
    }
  }
  if (auto problem = CheckTaskTable(built); !problem.empty()) throw ETaskTableError(problem);
  table = std::move(built);
}

void TTaskGrid::FillFromTable(const TTaskDefTable& table) {
  rows_.clear();
  for (int task = 0; task < table.Count(); ++task) {
    const TTask& t = table.Tasks(task);
    Row row{std::to_string(task + 1), t.Mode == TTask::kBurst ? "2" : "1", FormatDateTime(t.Start),
            FormatDateTime(t.End)};
    for (int c = 0; c < 4; ++c)
      row[static_cast<size_t>(kPressure + c)] =
          static_cast<size_t>(c) < t.Tracks.size()
              ? std::to_string(t.Tracks[static_cast<size_t>(c)].Period)
              : "0";
    rows_.push_back(std::move(row));
  }
  if (rows_.empty())
    rows_.push_back({"1", "1", "01.01.01-12:00", "01.01.01-12:00", "0", "0", "0", "0"});
}

std::vector<std::pair<std::string, std::string>> TTaskGrid::MemoryRows(const TTaskDefTable& table,
                                                                       int task, int column) {
  std::vector<std::pair<std::string, std::string>> rows = {{"Время начала", "не определено"},
                                                           {"Время окончания", "не определено"},
                                                           {"Первая страница", "нет"},
                                                           {"Последняя страница", "нет"},
                                                           {"Замеров", "нет"},
                                                           {"Статус задания", "не выполнено"}};
  if (task < 0 || task >= table.Count()) return rows;
  const TTask& t = table.Tasks(task);
  auto when = [](const TTaskTime& x, bool lead_zero) {
    const char* day_name = x.DayOfWeek >= 1 && x.DayOfWeek <= 7 ? kDayNames[x.DayOfWeek - 1] : "";
    return (lead_zero ? Two(x.Day) : std::to_string(x.Day)) + "." + Two(x.Month) + "." +
           Two(x.Year % 100) + " (" + day_name + ")-" + Two(x.Hour) + ":" + Two(x.Minute);
  };
  rows[0].second = when(t.Start, true);
  rows[1].second = when(t.End, false);
  if (t.Status == TTask::kExecuted) rows[5].second = "выполнено";
  int channel = column - kPressure;
  if (channel >= 0 && channel < static_cast<int>(t.Tracks.size()) &&
      t.Tracks[static_cast<size_t>(channel)].Period != 0) {
    int64_t first = t.Tracks[static_cast<size_t>(channel)].FirstPage;
    rows[2].second = std::to_string(first);
    rows[3].second = std::to_string(first + table.Pages(task, channel) - 1);
    rows[4].second = std::to_string(table.Samples(task, channel));
  }
  return rows;
}

}  // namespace kest
