#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "memtool/reply_collector.h"
#include "memtool/status_data.h"
#include "memtool/task_table.h"
#include "memtool/tool_codec.h"

namespace kest {

class Clock;
class MemoryToolHost;
class MemoryToolLink;

// Command codes of the memory tool (the first byte of each command).
enum class TMemoryCommand : uint8_t {
  ReadClock = 0x02,
  SetClock = 0x03,
  ReadPages = 0x06,
  WriteMemory = 0x07,
  Standby = 0x09,
  ReadStatus = 0x0A,
  PassThroughRaw = 0x0B,
  PassThroughCalibrated = 0x0C,
  Run = 0x0D,
};

// The pressure matrix of the tool's calibration block (page 0).
using TPressureMatrix = std::array<std::array<double, 7>, 7>;
// sum over i, j of M[i][j] * T^j * x^i.
double Calibrate(const TPressureMatrix& m, double t, double x);

// Called after each page read: pages done, pages in all. False cancels.
using PageProgress = std::function<bool(int64_t done, int64_t total)>;

// The commands of the memory tool's control window, on one link and one reply
// collector: status, clock, task table, launch, pass-through, standby and page reads.
// Commands that wait pump the link until the reply is in or the line has been silent
// for 5 s. Failures the user must see raise EMemoryToolError with the text to show.
// Main thread.
class TMemoryTool {
 public:
  static constexpr int kPageValues = TTaskDefTable::kPageSize / 4;       // 132
  static constexpr int kTableValues = TTaskDefTable::kPageSize / 2 / 4;  // 66
  // Tries per page before a read-out gives up.
  static constexpr int kPageAttempts = 5;

  TMemoryTool(MemoryToolLink& link, MemoryToolHost& host, std::function<ToolTime()> local_time);
  ~TMemoryTool();
  TMemoryTool(const TMemoryTool&) = delete;
  TMemoryTool& operator=(const TMemoryTool&) = delete;

  TReciveDataObject& Collector() { return collector_; }
  TStatusData& StatusData() { return status_data_; }
  TTaskDefTable& Table() { return table_; }
  MemoryToolLink& Link() { return link_; }
  MemoryToolHost& Host() { return host_; }
  // The last status word read, if any.
  const std::optional<ToolStatus>& LastStatus() const { return last_status_; }

  // Reads the status word (LastStatus); the table keeps its tasks and gets 4 channels.
  // False when the tool does not answer.
  bool CheckStatus();
  // CheckStatus, and shows the status; "Нет ответа от прибора" when it fails.
  ToolStatus ReadStatus();
  // Status, set-clock with the local time, the acknowledgement, the clock read
  // back and shown as "dd mmmm yy(hh:mm)" in "Посл. синхр. часов".
  ToolTime SynchronizeClock();
  std::optional<ToolTime> ReadClock();
  // Checks the table (ETaskTableError with the message), gives out the pages and
  // writes the records and the task count into page 1.
  void WriteTaskTable();
  // Reads page 1 into the table: as many records as the last status word counts (the
  // status is read first when there is none). False (table unchanged) when the tool
  // does not answer; EMemoryToolError "В приборе нет заданий" when it counts none,
  // and one naming the task whose record cannot be read (table unchanged).
  bool ReadTaskTable();
  // Synchronise, write the table, ask when the tool is on mains power, start it.
  // False when the user said No.
  bool Launch();
  void PassThrough(bool with_coefficients);
  void Standby();

  // Reads pages first..first+count-1 one at a time, each tried kPageAttempts times
  // ("Чтение страницы N", "Повторное чтение страницы N"), and returns their values.
  // A page that never comes whole raises EMemoryToolError naming it; `partial`
  // then holds the values of the pages read before it.
  std::vector<uint32_t> ReadPages(int64_t first, int64_t count, const PageProgress& progress,
                                  std::vector<uint32_t>* partial = nullptr);
  // Page 0: the pressure matrix.
  TPressureMatrix ReadCalibration();

  // Waits for the running collection to end; true when it completed.
  bool WaitReply();
  // Ends a running collection (the window closes).
  void Close();

  static std::string SyncText(const ToolTime& t);

 private:
  void Arm(const char* reply, int expected, uint8_t flags = 7);
  void Send(std::initializer_list<uint8_t> bytes);
  bool ReadPage(int64_t page, std::vector<uint32_t>& out);

  MemoryToolLink& link_;
  MemoryToolHost& host_;
  std::function<ToolTime()> local_time_;
  TReciveDataObject collector_;
  TStatusData status_data_;
  TTaskDefTable table_;
  std::optional<ToolStatus> last_status_;
};

}  // namespace kest
