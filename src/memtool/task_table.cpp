#include "memtool/task_table.h"

#include <algorithm>

#include "memtool/tool_codec.h"
#include "support/rounding.h"

namespace kest {

int64_t TaskMinutes(const TTaskTime& t) {
  int year = 2000 + t.Year;
  if (!ValidDate(year, t.Month, t.Day) || t.Hour > 23 || t.Minute > 59) return 0;
  return (DaysFromCivil(year, t.Month, t.Day) - DaysFromCivil(2000, 1, 1)) * 1440 +
         int64_t{t.Hour} * 60 + t.Minute;
}

TTaskTime MakeTaskTime(int year, int month, int day, int hour, int minute) {
  TTaskTime t;
  t.Year = static_cast<uint8_t>(year >= 2000 ? year - 2000 : year);
  t.Month = static_cast<uint8_t>(month);
  t.Day = static_cast<uint8_t>(day);
  t.Hour = static_cast<uint8_t>(hour);
  t.Minute = static_cast<uint8_t>(minute);
  t.DayOfWeek = static_cast<uint8_t>(
      ValidDate(2000 + t.Year, month, day) ? DayOfWeek(2000 + t.Year, month, day) : 1);
  return t;
}

int64_t TaskSampleCount(int64_t duration, int32_t period) {
  if (period == kBurstPeriod) return duration * 72000;
  if (period > 0) return RoundHalfEven(static_cast<double>(duration) * 60 / period);
  if (period < 0)
    return RoundHalfEven(static_cast<double>(duration) * 960 / -static_cast<double>(period));
  return 0;
}

int64_t TaskPageCount(int64_t duration, int32_t period, int words_per_page) {
  double w = words_per_page;
  double d = static_cast<double>(duration);
  if (period == kBurstPeriod) return RoundHalfEven(d * 72000 / w + 0.5);
  if (period > 0) return RoundHalfEven(d * 60 / period / w + 0.5);
  if (period < 0) return RoundHalfEven(d * 960 / -static_cast<double>(period) / w + 0.5);
  return 0;
}

double SampleIntervalMs(int32_t period) {
  if (period == kBurstPeriod) return 100;
  if (period < 0) return -static_cast<double>(period) * 62.5;
  return period * 1000.0;
}

TTaskDefTable::TTaskDefTable() { Resize(1); }

void TTaskDefTable::Resize(int n) {
  if (n < 1 || n == Count()) return;
  TTask fresh;
  fresh.Tracks.resize(static_cast<size_t>(channel_count_));
  tasks_.resize(static_cast<size_t>(n), fresh);
}

void TTaskDefTable::SetChannelCount(int count) {
  channel_count_ = std::clamp(count, 0, 5);
  for (TTask& t : tasks_) t.Tracks.resize(static_cast<size_t>(channel_count_));
}

double TTaskDefTable::Divider(int channel) const {
  return channel >= 0 && channel < static_cast<int>(dividers_.size())
             ? dividers_[static_cast<size_t>(channel)]
             : 1;
}

int64_t TTaskDefTable::AllocatePages() {
  int64_t next = kFirstDataPage;
  for (TTask& task : tasks_) {
    for (TTaskTrack& track : task.Tracks) {
      track.FirstPage = static_cast<uint16_t>(std::clamp<int64_t>(next, 0, 0xFFFF));
      if (track.Period != 0)
        next += std::max<int64_t>(0, TaskPageCount(task.Duration, track.Period, WordsPerPage()));
    }
  }
  return next;
}

int64_t TTaskDefTable::Pages(int task, int channel) const {
  const TTask& t = Tasks(task);
  if (channel < 0 || channel >= static_cast<int>(t.Tracks.size())) return 0;
  return std::max<int64_t>(
      0, TaskPageCount(t.Duration, t.Tracks[static_cast<size_t>(channel)].Period, WordsPerPage()));
}

int64_t TTaskDefTable::Samples(int task, int channel) const {
  const TTask& t = Tasks(task);
  if (channel < 0 || channel >= static_cast<int>(t.Tracks.size())) return 0;
  return std::max<int64_t>(
      0, TaskSampleCount(t.Duration, t.Tracks[static_cast<size_t>(channel)].Period));
}

namespace {

void PutTime(uint8_t* out, const TTaskTime& t) {
  out[0] = ToBcdByte(t.Minute);
  out[1] = ToBcdByte(t.Hour);
  out[2] = t.DayOfWeek;
  out[3] = ToBcdByte(t.Day);
  out[4] = ToBcdByte(t.Month);
  out[5] = ToBcdByte(t.Year);
}

std::optional<TTaskTime> GetTime(const uint8_t* in) {
  int minute = FromBcdByte(in[0]), hour = FromBcdByte(in[1]), day = FromBcdByte(in[3]);
  int month = FromBcdByte(in[4]), year = FromBcdByte(in[5]);
  // A day the month does not have (31 April, 29 February of 2027) is no date either.
  if (minute < 0 || minute > 59 || hour < 0 || hour > 23 || year < 0 ||
      !ValidDate(2000 + year, month, day))
    return std::nullopt;
  return MakeTaskTime(2000 + year, month, day, hour, minute);
}

void Put16(uint8_t* out, uint16_t v) {
  out[0] = static_cast<uint8_t>(v >> 8);
  out[1] = static_cast<uint8_t>(v);
}

}  // namespace

std::array<uint8_t, 32> EncodeTaskRecord(const TTask& task) {
  std::array<uint8_t, 32> r{};
  PutTime(&r[0], task.Start);
  PutTime(&r[6], task.End);
  for (size_t c = 0; c < 4; ++c) {
    TTaskTrack track = c < task.Tracks.size() ? task.Tracks[c] : TTaskTrack{};
    int32_t p = track.Period;
    uint16_t word =
        p < 0 ? static_cast<uint16_t>((-p & 0x7FFF) | 0x8000) : static_cast<uint16_t>(p & 0x7FFF);
    Put16(&r[12 + 2 * c], word);
    Put16(&r[20 + 2 * c], track.FirstPage);
  }
  r[28] = static_cast<uint8_t>(task.Mode + 1);
  r[29] = 0xCC;
  return r;
}

std::optional<TTask> DecodeTaskRecord(std::span<const uint8_t, 32> r, int channel_count) {
  auto start = GetTime(&r[0]);
  auto end = GetTime(&r[6]);
  if (!start || !end) return std::nullopt;
  TTask task;
  task.Start = *start;
  task.End = *end;
  task.ComputeDuration();
  task.Tracks.resize(static_cast<size_t>(std::max(4, channel_count)));
  for (size_t c = 0; c < 4; ++c) {
    uint16_t word = static_cast<uint16_t>(r[12 + 2 * c] << 8 | r[13 + 2 * c]);
    task.Tracks[c].Period = (word & 0x8000) ? -static_cast<int32_t>(word & 0x7FFF) : word;
    task.Tracks[c].FirstPage = static_cast<uint16_t>(r[20 + 2 * c] << 8 | r[21 + 2 * c]);
  }
  if (r[29] == 0xAA) task.Status = TTask::kExecuted;
  if (r[29] == 0xBB) task.Status = TTask::kMarkedBB;
  if (r[28] == 2) {
    task.Mode = TTask::kBurst;
    task.Tracks[0].Period = kBurstPeriod;
  }
  return task;
}

std::string CheckTaskTable(const TTaskDefTable& table) {
  int n = table.Count();
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j) {
      int64_t s1 = TaskMinutes(table.Tasks(i).Start), e1 = TaskMinutes(table.Tasks(i).End);
      int64_t s2 = TaskMinutes(table.Tasks(j).Start), e2 = TaskMinutes(table.Tasks(j).End);
      if (s1 >= e1 || s2 >= e2 || (s1 <= e2 && s2 <= e1))
        return "Пересечение заданий " + std::to_string(i + 1) + " и " + std::to_string(j + 1);
    }
  }
  for (int i = 0; i < n; ++i) {
    if (TaskMinutes(table.Tasks(i).Start) >= TaskMinutes(table.Tasks(i).End))
      return "Задание " + std::to_string(i + 1) + " не заканчивается позже, чем начинается";
    for (const TTaskTrack& t : table.Tasks(i).Tracks)
      if (t.Period < -0x7FFF || t.Period > 0x7FFF)
        return "Недопустимый период в задании " + std::to_string(i + 1);
  }
  if (n > TTaskDefTable::kMaxStoredTasks)
    return "Прибор хранит не более " + std::to_string(TTaskDefTable::kMaxStoredTasks) + " заданий";
  TTaskDefTable copy = table;
  if (copy.AllocatePages() > TTaskDefTable::kPageCount)
    return "Задания не помещаются в память прибора (" + std::to_string(TTaskDefTable::kPageCount) +
           " страниц)";
  return {};
}

bool SameTask(const TTask& x, const TTask& y) {
  auto period = [](const TTask& t, size_t c) {
    return c < t.Tracks.size() ? t.Tracks[c].Period : 0;
  };
  if (x.Mode != y.Mode || TaskMinutes(x.Start) != TaskMinutes(y.Start) ||
      TaskMinutes(x.End) != TaskMinutes(y.End))
    return false;
  for (size_t c = 0; c < 4; ++c)
    if (period(x, c) != period(y, c)) return false;
  return true;
}

}  // namespace kest
