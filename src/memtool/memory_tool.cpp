#include "memtool/memory_tool.h"

#include <algorithm>
#include <cmath>

#include "memtool/memory_tool_host.h"
#include "memtool/memory_tool_link.h"
#include "memtool/memtool_errors.h"

namespace kest {

namespace {

std::string TwoDigits(int v) {
  std::string s = std::to_string(v % 100);
  return s.size() < 2 ? "0" + s : s;
}

}  // namespace

double Calibrate(const TPressureMatrix& m, double t, double x) {
  double sum = 0, xi = 1;
  for (size_t i = 0; i < 7; ++i, xi *= x) {
    double tj = 1;
    for (size_t j = 0; j < 7; ++j, tj *= t) sum += m[i][j] * tj * xi;
  }
  return sum;
}

TMemoryTool::TMemoryTool(MemoryToolLink& link, MemoryToolHost& host,
                         std::function<ToolTime()> local_time)
    : link_(link), host_(host), local_time_(std::move(local_time)) {
  link_.OnReply = [this](std::string_view sensor, uint32_t value) {
    collector_.DataArrived(sensor, value);
  };
  link_.OnTick = [this] { collector_.Tick(); };
  collector_.OnProgress = [this](bool busy) {
    host_.ShowActivity(busy);
    if (collector_.Collecting()) host_.ShowStatusText(collector_.ProgressText());
  };
  table_.SetChannelCount(4);
}

TMemoryTool::~TMemoryTool() {
  link_.OnReply = nullptr;
  link_.OnTick = nullptr;
}

std::string TMemoryTool::SyncText(const ToolTime& t) {
  static constexpr const char* kMonths[] = {"Январь",   "Февраль", "Март",   "Апрель",
                                            "Май",      "Июнь",    "Июль",   "Август",
                                            "Сентябрь", "Октябрь", "Ноябрь", "Декабрь"};
  const char* month = t.Month >= 1 && t.Month <= 12 ? kMonths[t.Month - 1] : "";
  return TwoDigits(t.Day) + " " + month + " " + TwoDigits(t.Year) + "(" + TwoDigits(t.Hour) + ":" +
         TwoDigits(t.Minute) + ")";
}

void TMemoryTool::Arm(const char* reply, int expected, uint8_t flags) {
  collector_.ReplyName = reply;
  collector_.ExpectedCount = expected;
  collector_.ModeFlags = flags;
  collector_.OnComplete = nullptr;
  collector_.Start();
}

void TMemoryTool::Send(std::initializer_list<uint8_t> bytes) {
  link_.Send(std::span<const uint8_t>(bytes.begin(), bytes.size()));
}

bool TMemoryTool::WaitReply() {
  while (collector_.Collecting()) link_.Pump();
  return collector_.State() == TReciveDataObject::kComplete;
}

void TMemoryTool::Close() {
  collector_.Finish();
  collector_.ReplyName.clear();
}

bool TMemoryTool::CheckStatus() {
  Arm("Status", 1);
  Send({static_cast<uint8_t>(TMemoryCommand::ReadStatus)});
  if (!WaitReply() || collector_.Values().empty()) return false;
  last_status_ = DecodeStatus(collector_.Values().front());
  // The table is left as it is: it may be the one about to be written (a launch
  // reads the status on the way); ReadTaskTable takes the tool's count.
  table_.SetChannelCount(4);
  return true;
}

ToolStatus TMemoryTool::ReadStatus() {
  if (!CheckStatus()) throw EMemoryToolError(kNoReplyText);
  status_data_.ShowStatus(*last_status_);
  return *last_status_;
}

std::optional<ToolTime> TMemoryTool::ReadClock() {
  Arm("DateTime", 2);
  Send({static_cast<uint8_t>(TMemoryCommand::ReadClock)});
  if (!WaitReply() || collector_.Count() < 2) return std::nullopt;
  return DecodeClock(collector_.Values()[0], collector_.Values()[1]);
}

ToolTime TMemoryTool::SynchronizeClock() {
  ReadStatus();
  auto clock = EncodeClock(local_time_());
  Arm("MessageLink", 1);
  Send({static_cast<uint8_t>(TMemoryCommand::SetClock)});
  // The tool takes the clock bytes more slowly than commands: 2 ms more before each.
  link_.Send(clock, 2);
  if (!WaitReply()) throw EMemoryToolError(kNoReplyText);
  auto back = ReadClock();
  if (!back) throw EMemoryToolError(kNoReplyText);
  status_data_.SetText(TStatusData::kLastSync, SyncText(*back));
  return *back;
}

void TMemoryTool::WriteTaskTable() {
  std::string problem = CheckTaskTable(table_);
  if (!problem.empty()) throw ETaskTableError(problem);
  table_.AllocatePages();
  for (int k = 0; k < table_.Count(); ++k) {
    Arm("MessageLink", 1);
    auto record = EncodeTaskRecord(table_.Tasks(k));
    std::vector<uint8_t> bytes = {static_cast<uint8_t>(TMemoryCommand::WriteMemory),
                                  0x00,
                                  TTaskDefTable::kTablePage,
                                  0x00,
                                  static_cast<uint8_t>(32 * k % 256),
                                  0x00,
                                  0x20};
    bytes.insert(bytes.end(), record.begin(), record.end());
    link_.Send(bytes);
  }
  Arm("MessageLink", 1);
  Send({static_cast<uint8_t>(TMemoryCommand::WriteMemory), 0x00, TTaskDefTable::kTablePage, 0x02,
        0x0F, 0x00, 0x01, static_cast<uint8_t>(table_.Count())});
}

bool TMemoryTool::ReadTaskTable() {
  if (!last_status_ && !CheckStatus()) return false;
  const int stored = std::min<int>(last_status_->TaskCount, TTaskDefTable::kMaxStoredTasks);
  if (stored < 1) throw EMemoryToolError(kNoTasksText);
  // The tool answers with the whole page: waiting for all of it keeps the rest of
  // the page from landing in the next reply.
  Arm("Task", kPageValues);
  Send({static_cast<uint8_t>(TMemoryCommand::ReadPages), 0x00, TTaskDefTable::kTablePage, 0x00,
        TTaskDefTable::kTablePage});
  if (!WaitReply() || collector_.Count() < kTableValues) return false;
  std::vector<uint8_t> bytes;
  UnpackReplyBytes(std::span<const uint32_t>(collector_.Values().data(), kTableValues), bytes);
  std::vector<TTask> tasks;
  for (int k = 0; k < stored; ++k) {
    auto task = DecodeTaskRecord(
        std::span<const uint8_t, 32>(bytes.data() + 32 * static_cast<size_t>(k), 32),
        table_.ChannelCount());
    if (!task)
      throw EMemoryToolError("Задание " + std::to_string(k + 1) +
                             " в таблице прибора не читается: неверная дата или время");
    tasks.push_back(std::move(*task));
  }
  table_.Resize(stored);
  for (int k = 0; k < stored; ++k) {
    tasks[static_cast<size_t>(k)].Tracks.resize(static_cast<size_t>(table_.ChannelCount()));
    table_.Tasks(k) = std::move(tasks[static_cast<size_t>(k)]);
  }
  return true;
}

bool TMemoryTool::Launch() {
  SynchronizeClock();
  WriteTaskTable();
  if (last_status_ && !last_status_->OnBattery &&
      !host_.AskWarning(
          "В прибор запитан от сети. Для перевода в режим выполнения заданий необходимо перевести "
          "прибор в режим питания от батарей. Перевести прибор в режим выполнения заданий?"))
    return false;
  // Armed before the command goes, so an acknowledgement that comes at once is heard.
  Arm("MessageLink", 1);
  Send({static_cast<uint8_t>(TMemoryCommand::Run)});
  return true;
}

void TMemoryTool::PassThrough(bool with_coefficients) {
  status_data_.SetMode(with_coefficients ? TStatusData::kWithCoefficients
                                         : TStatusData::kWithoutCoefficients);
  Send({static_cast<uint8_t>(with_coefficients ? TMemoryCommand::PassThroughCalibrated
                                               : TMemoryCommand::PassThroughRaw)});
}

void TMemoryTool::Standby() {
  link_.SetProtocolMode(1);
  Send({static_cast<uint8_t>(TMemoryCommand::Standby)});
}

bool TMemoryTool::ReadPage(int64_t page, std::vector<uint32_t>& out) {
  Arm("Task", kPageValues, 5);
  auto p = static_cast<uint16_t>(page);
  Send({static_cast<uint8_t>(TMemoryCommand::ReadPages), static_cast<uint8_t>(p >> 8),
        static_cast<uint8_t>(p), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p)});
  if (!WaitReply() || collector_.Count() != kPageValues) return false;
  out.insert(out.end(), collector_.Values().begin(), collector_.Values().end());
  return true;
}

std::vector<uint32_t> TMemoryTool::ReadPages(int64_t first, int64_t count,
                                             const PageProgress& progress,
                                             std::vector<uint32_t>* partial) {
  std::vector<uint32_t> values;
  if (first < 0 || count < 0 || first + count > TTaskDefTable::kPageCount)
    throw EMemoryToolError("Страницы " + std::to_string(first) + "–" +
                           std::to_string(first + count - 1) + " лежат вне памяти прибора");
  values.reserve(static_cast<size_t>(count) * kPageValues);
  auto fail = [&](const std::string& text) {
    if (partial) *partial = std::move(values);
    throw EMemoryToolError(text);
  };
  for (int64_t i = 0; i < count; ++i) {
    int64_t page = first + i;
    bool ok = false;
    for (int attempt = 0; attempt < kPageAttempts && !ok; ++attempt) {
      if (link_.PortLost())
        fail("Связь с прибором потеряна: страница " + std::to_string(page) + " не прочитана");
      host_.ShowStatusText((attempt == 0 ? "Чтение страницы " : "Повторное чтение страницы ") +
                           std::to_string(page));
      ok = ReadPage(page, values);
    }
    if (!ok) {
      if (link_.PortLost())
        fail("Связь с прибором потеряна: страница " + std::to_string(page) + " не прочитана");
      fail(std::string(kNoReplyText) + ": страница " + std::to_string(page) + " не прочитана");
    }
    if (progress && !progress(i + 1, count))
      fail("Чтение прервано на странице " + std::to_string(page));
  }
  return values;
}

TPressureMatrix TMemoryTool::ReadCalibration() {
  Arm("Task", kPageValues);
  Send({static_cast<uint8_t>(TMemoryCommand::ReadPages), 0x00, 0x00, 0x00, 0x00});
  if (!WaitReply() || collector_.Count() < kPageValues) throw EMemoryToolError(kNoReplyText);
  TPressureMatrix m{};
  for (size_t i = 0; i < 49; ++i)
    m[i / 7][i % 7] = DecodeToolFloat(ReplyValueBytes(collector_.Values()[i]));
  return m;
}

}  // namespace kest
