#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kest {

// A task's start or end as the tool keeps it (binary values here; BCD on the wire).
struct TTaskTime {
  uint8_t Minute = 0;
  uint8_t Hour = 0;
  uint8_t DayOfWeek = 1;  // 1 = Sunday .. 7 = Saturday
  uint8_t Day = 1;
  uint8_t Month = 1;
  uint8_t Year = 0;  // year - 2000
  bool operator==(const TTaskTime&) const = default;
};
// Minutes since 2000-01-01 00:00; a date that does not exist (31.02) gives 0.
int64_t TaskMinutes(const TTaskTime& t);
// Fills the day of week from the date.
TTaskTime MakeTaskTime(int year, int month, int day, int hour, int minute);

// One channel of a task: where its samples start in the tool's memory and how often
// it samples (0 off; P > 0 every P s; P < 0 every -P sixteenths of a second;
// kBurstPeriod 1200 per second).
struct TTaskTrack {
  uint16_t FirstPage = 0;
  int32_t Period = 0;
};
inline constexpr int32_t kBurstPeriod = -1200;

struct TTask {
  enum : uint8_t { kOrdinary = 0, kBurst = 1 };
  enum : uint8_t { kNotExecuted = 0, kExecuted = 2, kMarkedBB = 3 };
  uint8_t Mode = kOrdinary;
  uint8_t Status = kNotExecuted;
  TTaskTime Start;
  TTaskTime End;
  int32_t Duration = 0;  // minutes
  std::vector<TTaskTrack> Tracks;

  void ComputeDuration() { Duration = static_cast<int32_t>(TaskMinutes(End) - TaskMinutes(Start)); }
};

// Samples a channel of period P takes in D minutes, and the pages they fill with W
// 16-bit words per page (rounded to nearest, ties to even, after adding half a page:
// a whole even number of pages stays, a whole odd one gets one more).
int64_t TaskSampleCount(int64_t duration, int32_t period);
int64_t TaskPageCount(int64_t duration, int32_t period, int words_per_page);
// The time between samples in milliseconds; 0 for a channel that is off.
double SampleIntervalMs(int32_t period);

// The task table of a memory tool and the geometry of its memory.
class TTaskDefTable {
 public:
  static constexpr uint16_t kPageCount = 8192;
  static constexpr uint16_t kFirstDataPage = 4;
  static constexpr uint16_t kTablePage = 1;
  static constexpr uint16_t kPageSize = 528;
  // The tool's table area: eight 32-byte records at offsets 0..255 of page 1.
  static constexpr int kMaxStoredTasks = 8;
  static constexpr int kRecordSize = 32;
  static constexpr int kTaskCountOffset = 527;

  TTaskDefTable();

  int Count() const { return static_cast<int>(tasks_.size()); }
  TTask& Tasks(int i) { return tasks_.at(static_cast<size_t>(i)); }
  const TTask& Tasks(int i) const { return tasks_.at(static_cast<size_t>(i)); }
  // n >= 1: appends new tasks or drops from the end; otherwise nothing.
  void Resize(int n);
  int ChannelCount() const { return channel_count_; }
  void SetChannelCount(int count);
  double Divider(int channel) const;
  static constexpr int WordsPerPage() { return kPageSize / 2; }

  // Gives every track its first page, tasks and channels in order, from the first
  // data page; tracks that are off take the next page without using it. Returns the
  // first page after the last one used.
  int64_t AllocatePages();
  // Pages of one channel of a task.
  int64_t Pages(int task, int channel) const;
  int64_t Samples(int task, int channel) const;

 private:
  std::vector<TTask> tasks_;
  int channel_count_ = 5;
  std::array<double, 5> dividers_ = {1000, 500, 500, 1, 1};
};

// Whether two tasks are the same: mode, start, end and the periods of channels 0-3
// (pages and status follow from those, or from the tool).
bool SameTask(const TTask& a, const TTask& b);

// The 32-byte record of a task in page 1 of the tool:
//   | 0-5   | start: minute hour dow day month year, BCD except dow          |
//   | 6-11  | end, same                                                      |
//   | 12-19 | periods of channels 0-3, 16 bit high first, negative = |P| | 0x8000 |
//   | 20-27 | first pages of channels 0-3, 16 bit high first                  |
//   | 28    | mode + 1                                                       |
//   | 29    | status: 0xCC written, 0xAA executed, 0xBB                       |
//   | 30-31 | 0                                                              |
std::array<uint8_t, 32> EncodeTaskRecord(const TTask& task);
// Reads a record into `task` (keeping the number of tracks it has, at least 4).
// Nothing when a time field is not BCD or out of range.
std::optional<TTask> DecodeTaskRecord(std::span<const uint8_t, 32> record, int channel_count);

// The check of a whole table before it is written: the pairs that overlap, a task
// that does not end after it starts, more tasks than the tool stores, periods the
// record cannot hold, memory that runs out. Empty when the table can be written;
// otherwise the message for the user.
std::string CheckTaskTable(const TTaskDefTable& table);

}  // namespace kest
