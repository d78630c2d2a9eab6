#include "sim/memory_tool_simulator.h"

#include <algorithm>
#include <cmath>

#include "memtool/calibration_record.h"
#include "memtool/coefficient_upload.h"
#include "memtool/task_table.h"
#include "support/clock.h"

namespace kest::sim {

namespace {

constexpr int64_t kMsPerMinute = 60'000;
constexpr int64_t kMsPerHour = 3'600'000;
constexpr int kPageValues = MemoryToolSimulator::kPageSize / 4;

int64_t ToolTimeMs(const ToolTime& t) {
  if (!ValidDate(t.Year, t.Month, t.Day)) return 0;
  int64_t days = DaysFromCivil(t.Year, t.Month, t.Day) - DaysFromCivil(2000, 1, 1);
  return ((days * 24 + t.Hour) * 60 + t.Minute) * kMsPerMinute + t.Second * int64_t{1000} +
         t.Millisecond;
}

ToolTime FromToolMs(int64_t ms) {
  int64_t days = ms / (24 * kMsPerHour);
  int64_t rest = ms % (24 * kMsPerHour);
  // Civil date from days since 2000-01-01 (forward search is fine for a simulator's years).
  int64_t z = days + DaysFromCivil(2000, 1, 1) + 719468;
  int64_t era = z / 146097, doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
  int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1),
      month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
  return {year,
          month,
          day,
          static_cast<int>(rest / kMsPerHour),
          static_cast<int>(rest / kMsPerMinute % 60),
          static_cast<int>(rest / 1000 % 60),
          static_cast<int>(rest % 1000)};
}

uint16_t Clamp16(double v) { return static_cast<uint16_t>(std::clamp(std::lround(v), 0L, 65535L)); }

}  // namespace

MemoryToolSimulator::MemoryToolSimulator(MemoryToolSimSettings settings, Clock& clock)
    : settings_(std::move(settings)),
      clock_(clock),
      formation_(settings_.seed),
      flash_(static_cast<size_t>(kPages) * kPageSize, 0xFF) {
  clock_base_ms_ = clock_.NowMs();
  tool_base_ms_ = ToolTimeMs(settings_.initial_time);
  next_pass_ms_ = clock_base_ms_;
  // Page 0: the calibration block as an upload leaves it, and the tool's name. The
  // pressure matrix reads x - 0.001 T (the sensor's zero drifts with temperature);
  // the temperature is 0.002 x the raw code, as the divider has it.
  std::fill_n(flash_.begin(), kPageSize, 0);
  TCoefRecord calibration = NewCoefRecord();
  SetUnitTable(calibration);
  calibration.Put(TCoefTable::Full, 0, 1, 1.0);     // M[1][0]
  calibration.Put(TCoefTable::Full, 1, 0, -0.001);  // M[0][1]
  StoreWrite(CoefficientWriteCommand(calibration));
  StoreWrite(DividerWriteCommand(calibration));
  const char name[] = "AMT-0001";
  std::copy(name, name + 8, flash_.begin() + kNameOffset);
  // Page 1: an empty table.
  std::fill_n(flash_.begin() + kPageSize, kPageSize, 0);
}

int64_t MemoryToolSimulator::ToolMs(int64_t clock_ms) const {
  return tool_base_ms_ + (clock_ms - clock_base_ms_);
}

int64_t MemoryToolSimulator::WallMs() { return ToolTimeMs(LocalToolTime()); }

size_t MemoryToolSimulator::CommandLength(const std::vector<uint8_t>& p) {
  switch (p[0]) {
    case 0x03:
      return 8;
    case 0x06:
      return 5;
    case 0x07:
      return p.size() < 7 ? 7 : 7 + (size_t{p[5]} << 8 | p[6]);
    default:
      return 1;
  }
}

bool MemoryToolSimulator::StoreWrite(const std::vector<uint8_t>& cmd) {
  if (cmd.size() < 7) return false;
  size_t page = size_t{cmd[1]} << 8 | cmd[2], offset = size_t{cmd[3]} << 8 | cmd[4];
  size_t length = cmd.size() - 7;
  if (page >= kPages || offset + length > kPageSize) return false;
  std::copy(cmd.begin() + 7, cmd.end(),
            flash_.begin() + static_cast<long>(page * kPageSize + offset));
  return true;
}

double MemoryToolSimulator::ToolTemperature(double celsius) const {
  // The tool's own conversion of its temperature code with the coefficients in page 0
  // (tool floats f49 and f50).
  auto f = [&](size_t k) {
    return DecodeToolFloat(
        {flash_[4 * k], flash_[4 * k + 1], flash_[4 * k + 2], flash_[4 * k + 3]});
  };
  Reading r{};
  r.temperature_c = celsius;
  return f(49) + f(50) * RawSample(1, r);
}

bool MemoryToolSimulator::Takes(uint8_t byte) const {
  std::lock_guard lock(mutex_);
  if (!pending_.empty()) return true;
  switch (byte) {
    case 0x02:
    case 0x03:
    case 0x06:
    case 0x07:
    case 0x09:
    case 0x0A:
    case 0x0B:
    case 0x0C:
    case 0x0D:
      return true;
    default:
      return false;
  }
}

void MemoryToolSimulator::Receive(uint8_t byte) {
  std::lock_guard lock(mutex_);
  pending_.push_back(byte);
  if (pending_.size() < CommandLength(pending_)) return;
  std::vector<uint8_t> cmd;
  cmd.swap(pending_);
  Run(clock_.NowMs());
  reply_values_ = 0;
  Command(cmd);
  if (stalled_) {
    --settings_.stalls;
    stalled_ = false;
  }
}

void MemoryToolSimulator::Emit(std::array<uint8_t, 6> p) {
  p[5] = static_cast<uint8_t>(0x100 - ((p[0] + p[1] + p[2] + p[3] + p[4]) & 0xFF));
  out_.push_back(p);
}

void MemoryToolSimulator::Reply(uint8_t id, const uint8_t* b, bool spoil) {
  if (settings_.stall_after_values >= 0 && settings_.stalls > 0 &&
      reply_values_ >= settings_.stall_after_values) {
    stalled_ = true;
    return;
  }
  ++reply_values_;
  Emit({id, b[0], b[1], b[2], b[3], 0});
  if (spoil) out_.back()[5] ^= 0x5A;
}

void MemoryToolSimulator::ReplyValue(uint8_t id, uint32_t v) {
  auto b = ReplyValueBytes(v);
  Reply(id, b.data());
}

void MemoryToolSimulator::Command(const std::vector<uint8_t>& cmd) {
  int64_t now = ToolMs(clock_.NowMs());
  switch (cmd[0]) {
    case 0x0A: {
      ToolStatus s;
      s.PageCount = kPages;
      s.TaskCount = std::min<int>(flash_[kPageSize + 527], TTaskDefTable::kMaxStoredTasks);
      s.AdcOk = settings_.adc_ok;
      s.Chip1Ok = settings_.chip1_ok;
      s.Chip2Ok = settings_.chip2_ok;
      s.ClockOk = settings_.clock_ok;
      s.OnBattery = settings_.on_battery;
      ReplyValue(kStatusId, EncodeStatus(s));
      break;
    }
    case 0x02: {
      ToolTime t = FromToolMs(now);
      uint8_t b[7] = {ToBcdByte(t.Year % 100), ToBcdByte(t.Month),
                      ToBcdByte(t.Day),        ToBcdByte(DayOfWeek(t.Year, t.Month, t.Day)),
                      ToBcdByte(t.Hour),       ToBcdByte(t.Minute),
                      ToBcdByte(t.Second)};
      ReplyValue(kDateTimeId, uint32_t{b[1]} << 24 | uint32_t{b[2]} << 16 | b[0]);
      ReplyValue(kDateTimeId,
                 uint32_t{b[5]} << 24 | uint32_t{b[6]} << 16 | uint32_t{b[3]} << 8 | b[4]);
      break;
    }
    case 0x03: {
      int sec = FromBcdByte(cmd[1]), min = FromBcdByte(cmd[2]), hour = FromBcdByte(cmd[3]);
      int day = FromBcdByte(cmd[5]), month = FromBcdByte(cmd[6]), year = FromBcdByte(cmd[7]);
      if (sec >= 0 && min >= 0 && hour >= 0 && year >= 0 && ValidDate(2000 + year, month, day)) {
        tool_base_ms_ = ToolTimeMs({2000 + year, month, day, hour, min, sec, 0});
        clock_base_ms_ = clock_.NowMs();
      }
      ReplyValue(kMessageLinkId, 0);
      break;
    }
    case 0x06: {
      int first = cmd[1] << 8 | cmd[2], last = std::min(cmd[3] << 8 | cmd[4], kPages - 1);
      for (int page = first; page <= last; ++page) {
        bool spoil = false;
        if (settings_.corrupt_pages.count(page)) {
          corrupt_left_.resize(kPages, settings_.corrupt_times);
          spoil = corrupt_left_[static_cast<size_t>(page)]-- > 0;
        }
        const uint8_t* data = flash_.data() + static_cast<size_t>(page) * kPageSize;
        for (int v = 0; v < kPageValues; ++v)
          Reply(kTaskId, data + 4 * static_cast<size_t>(v), spoil && v == kPageValues / 2);
      }
      break;
    }
    case 0x07:
      // Coefficients land in page 0 like any other write; a write past a page's end
      // is not stored and not acknowledged.
      if (StoreWrite(cmd)) ReplyValue(kMessageLinkId, 0);
      break;
    case 0x09:
      pass_through_ = 0;
      break;
    case 0x0B:
    case 0x0C:
      pass_through_ = cmd[0];
      break;
    case 0x0D:
      launch_ms_ = now;
      // Tasks run afresh after each launch.
      for (int k = 0; k < TTaskDefTable::kMaxStoredTasks; ++k)
        flash_[kPageSize + 32 * k + 29] = 0xCC;
      ReplyValue(kMessageLinkId, 0);
      break;
    default:
      break;
  }
}

MemoryToolSimulator::Reading MemoryToolSimulator::ReadingAt(double hours) const {
  const auto& p = settings_.profile;
  double depth = p.empty() ? 0 : p.front().depth_m;
  for (size_t i = 1; i < p.size(); ++i) {
    if (hours >= p[i].hours) {
      depth = p[i].depth_m;
      continue;
    }
    if (hours > p[i - 1].hours) {
      double f = (hours - p[i - 1].hours) / (p[i].hours - p[i - 1].hours);
      depth = p[i - 1].depth_m + f * (p[i].depth_m - p[i - 1].depth_m);
    }
    break;
  }
  FormationReading f = formation_.At(depth);
  double debit = 0.5;
  switch (formation_.LithologyAt(depth)) {
    case FormationModel::Lithology::OilSand:
      debit = 40;
      break;
    case FormationModel::Lithology::WaterSand:
      debit = 15;
      break;
    default:
      break;
  }
  double to_collar = std::fabs(depth - 10 * std::round(depth / 10));
  return {depth, 0.101325 + 0.00981 * depth, f.temperature, depth > 1 ? debit : 0,
          to_collar < 0.25 ? 900.0 : 100.0};
}

uint16_t MemoryToolSimulator::RawSample(int channel, const Reading& r) {
  switch (channel) {
    case 0:
      return Clamp16(r.pressure_mpa * 1000);
    case 1:
      return Clamp16(r.temperature_c * 500);
    case 2:
      return Clamp16(r.debit * 500);
    default:
      return Clamp16(r.locator);
  }
}

void MemoryToolSimulator::Execute(int k, const uint8_t* record) {
  auto task = DecodeTaskRecord(std::span<const uint8_t, 32>(record, 32), 4);
  uint8_t* status = flash_.data() + kPageSize + 32 * static_cast<size_t>(k) + 29;
  if (!task) {
    *status = 0xBB;
    return;
  }
  int64_t start_ms = TaskMinutes(task->Start) * kMsPerMinute;
  for (int c = 0; c < 4; ++c) {
    const TTaskTrack& track = task->Tracks[static_cast<size_t>(c)];
    if (track.Period == 0) continue;
    int64_t samples = std::max<int64_t>(0, TaskSampleCount(task->Duration, track.Period));
    size_t at = size_t{track.FirstPage} * kPageSize;
    bool burst = task->Mode == TTask::kBurst && c == 0;
    double interval = burst ? 1000.0 / 1200 : SampleIntervalMs(track.Period);
    if (burst && at + 4 <= flash_.size()) {
      auto t = EncodeToolFloat(
          ToolTemperature(ReadingAt((start_ms - launch_ms_) / double(kMsPerHour)).temperature_c));
      std::copy(t.begin(), t.end(), flash_.begin() + static_cast<long>(at));
      at += 4;
    }
    for (int64_t i = 0; i < samples && at + 2 <= flash_.size(); ++i, at += 2) {
      double hours =
          (static_cast<double>(start_ms - launch_ms_) + static_cast<double>(i) * interval) /
          kMsPerHour;
      Reading r = ReadingAt(hours);
      uint16_t raw = burst ? Clamp16((r.pressure_mpa + 0.001 * r.temperature_c +
                                      0.05 * std::sin(static_cast<double>(i) * 0.05)) *
                                     100)
                           : RawSample(c, r);
      flash_[at] = static_cast<uint8_t>(raw >> 8);
      flash_[at + 1] = static_cast<uint8_t>(raw);
    }
  }
  *status = 0xAA;
}

void MemoryToolSimulator::Run(int64_t clock_ms) {
  if (launch_ms_ < 0) return;
  int64_t now = ToolMs(clock_ms);
  int count = std::min<int>(flash_[kPageSize + 527], TTaskDefTable::kMaxStoredTasks);
  for (int k = 0; k < count; ++k) {
    const uint8_t* record = flash_.data() + kPageSize + 32 * static_cast<size_t>(k);
    if (record[29] != 0xCC) continue;
    auto task = DecodeTaskRecord(std::span<const uint8_t, 32>(record, 32), 4);
    if (!task) continue;
    int64_t start = TaskMinutes(task->Start) * kMsPerMinute,
            end = TaskMinutes(task->End) * kMsPerMinute;
    if (start < launch_ms_) {
      flash_[kPageSize + 32 * k + 29] = 0xBB;  // began before the launch: not run
      continue;
    }
    if (end <= now) Execute(k, record);
  }
}

void MemoryToolSimulator::PassThroughPacket() {
  double hours = launch_ms_ < 0 ? 0 : (ToolMs(clock_.NowMs()) - launch_ms_) / double(kMsPerHour);
  Reading r = ReadingAt(hours);
  auto word = [](uint16_t a, uint16_t b) {
    return std::array<uint8_t, 4>{static_cast<uint8_t>(a >> 8), static_cast<uint8_t>(a),
                                  static_cast<uint8_t>(b >> 8), static_cast<uint8_t>(b)};
  };
  auto pt = word(RawSample(0, r), RawSample(1, r));
  auto dl = word(RawSample(2, r), RawSample(3, r));
  auto th = word(RawSample(1, r), 0);
  Emit({kPressureTemperatureId, pt[0], pt[1], pt[2], pt[3], 0});
  Emit({kDebitLocatorId, dl[0], dl[1], dl[2], dl[3], 0});
  Emit({kThermoId, th[0], th[1], th[2], th[3], 0});
}

void MemoryToolSimulator::Drain(std::deque<uint8_t>& out, size_t max_bytes) {
  std::lock_guard lock(mutex_);
  int64_t now = clock_.NowMs();
  Run(now);
  if (pass_through_ != 0 && now >= next_pass_ms_) {
    next_pass_ms_ = now + 100;
    PassThroughPacket();
  }
  while (!out_.empty() && out.size() + 6 <= max_bytes) {
    out.insert(out.end(), out_.front().begin(), out_.front().end());
    out_.pop_front();
  }
}

void MemoryToolSimulator::FastForward(double hours) {
  std::lock_guard lock(mutex_);
  tool_base_ms_ += static_cast<int64_t>(hours * kMsPerHour);
  Run(clock_.NowMs());
}

ToolTime MemoryToolSimulator::Now() const {
  std::lock_guard lock(mutex_);
  return FromToolMs(ToolMs(clock_.NowMs()));
}

int64_t MemoryToolSimulator::NowMs() const {
  std::lock_guard lock(mutex_);
  return ToolMs(clock_.NowMs());
}

bool MemoryToolSimulator::Launched() const {
  std::lock_guard lock(mutex_);
  return launch_ms_ >= 0;
}

int64_t MemoryToolSimulator::LaunchMs() const {
  std::lock_guard lock(mutex_);
  return launch_ms_;
}

std::vector<uint8_t> MemoryToolSimulator::Page(int page) const {
  std::lock_guard lock(mutex_);
  if (page < 0 || page >= kPages) return {};
  auto begin = flash_.begin() + static_cast<long>(page) * kPageSize;
  return {begin, begin + kPageSize};
}

void MemoryToolSimulator::SetOnBattery(bool on_battery) {
  std::lock_guard lock(mutex_);
  settings_.on_battery = on_battery;
}

void MemoryToolSimulator::SetSelfTest(bool adc, bool chip1, bool chip2, bool clock) {
  std::lock_guard lock(mutex_);
  settings_.adc_ok = adc;
  settings_.chip1_ok = chip1;
  settings_.chip2_ok = chip2;
  settings_.clock_ok = clock;
}

void MemoryToolSimulator::SetStall(int after_values, int times) {
  std::lock_guard lock(mutex_);
  settings_.stall_after_values = after_values;
  settings_.stalls = times;
}

void MemoryToolSimulator::SetCorruptPages(std::set<int> pages, int times) {
  std::lock_guard lock(mutex_);
  settings_.corrupt_pages = std::move(pages);
  settings_.corrupt_times = times;
  corrupt_left_.assign(kPages, times);
}

}  // namespace kest::sim
