#include "sim/surface_recorder_simulator.h"

#include <algorithm>
#include <cmath>

#include "support/clock.h"

namespace kest::sim {

namespace {

constexpr int64_t kMsPerMinute = 60'000;
constexpr int64_t kMsPerDay = 86'400'000;

int64_t MsSince2000(const ToolTime& t) {
  if (!ValidDate(t.Year, t.Month, t.Day)) return 0;
  int64_t days = DaysFromCivil(t.Year, t.Month, t.Day) - DaysFromCivil(2000, 1, 1);
  return ((days * 24 + t.Hour) * 60 + t.Minute) * kMsPerMinute + t.Second * int64_t{1000} +
         t.Millisecond;
}

ToolTime FromMsSince2000(int64_t ms) {
  int64_t days = ms / kMsPerDay, rest = ms % kMsPerDay;
  // Civil date of a day count (days since 1970-01-01 shifted to 0000-03-01).
  int64_t z = days + DaysFromCivil(2000, 1, 1) + 719468;
  int64_t era = z / 146097, doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
  int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
  return {year,
          month,
          day,
          static_cast<int>(rest / 3'600'000),
          static_cast<int>(rest / kMsPerMinute % 60),
          static_cast<int>(rest / 1000 % 60),
          static_cast<int>(rest % 1000)};
}

}  // namespace

SurfaceRecorderSimulator::SurfaceRecorderSimulator(SurfaceRecorderSimSettings settings,
                                                   Clock& clock, DepthFn depth_at)
    : settings_(std::move(settings)), clock_(clock), depth_at_(std::move(depth_at)) {
  settings_.page_size = settings_.page_size == 528 ? 528 : 264;
  settings_.pages = std::clamp(settings_.pages, 2, 8192);
  flash_.assign(static_cast<size_t>(settings_.pages) * static_cast<size_t>(settings_.page_size),
                0xFF);
  clock_base_ms_ = clock_.NowMs();
  recorder_base_ms_ = MsSince2000(settings_.initial_time);
  next_live_ms_ = clock_base_ms_;
  zero_.LastPage = 0;
  zero_.LastOffset = 0;
  WriteZeroPage();
  if (settings_.recording) {
    const auto history = static_cast<int64_t>(settings_.history_h * 3'600'000);
    StartRecording(clock_base_ms_ - history);
    Run(clock_base_ms_);
  }
}

double SurfaceRecorderSimulator::ProfileDepth(const std::vector<DepthPoint>& p, double hours) {
  if (p.empty()) return 0;
  if (hours <= p.front().hours) return p.front().depth_m;
  for (size_t i = 1; i < p.size(); ++i) {
    if (hours >= p[i].hours) continue;
    double f = (hours - p[i - 1].hours) / (p[i].hours - p[i - 1].hours);
    return p[i - 1].depth_m + f * (p[i].depth_m - p[i - 1].depth_m);
  }
  return p.back().depth_m;
}

int64_t SurfaceRecorderSimulator::RecorderMs(int64_t clock_ms) const {
  return recorder_base_ms_ + (clock_ms - clock_base_ms_) +
         static_cast<int64_t>(std::llround(settings_.clock_error_s * 1000));
}

int32_t SurfaceRecorderSimulator::CountedTenths(int64_t clock_ms) const {
  double depth = depth_at_ ? depth_at_(clock_ms) : 0;
  return static_cast<int32_t>(std::clamp(std::lround((depth + depth_offset_m_) * 10), 0L, 99999L));
}

double SurfaceRecorderSimulator::Tension(double depth_m, double speed) const {
  double t = settings_.tool_weight_kgf + settings_.cable_weight_kgf_per_m * depth_m;
  if (speed < 0) t += settings_.friction_kgf;  // pulling up
  if (speed > 0) t -= settings_.friction_kgf;
  return std::max(0.0, t);
}

void SurfaceRecorderSimulator::WriteZeroPage() {
  auto page = EncodeSurfaceZeroPage(zero_, settings_.page_size);
  std::copy_n(page.begin(), settings_.page_size, flash_.begin());
}

void SurfaceRecorderSimulator::StartRecording(int64_t clock_ms) {
  // From the next whole minute of the recorder's clock, which the zero page holds.
  int64_t now = RecorderMs(clock_ms);
  int64_t start = (now + kMsPerMinute - 1) / kMsPerMinute * kMsPerMinute;
  std::fill(flash_.begin() + settings_.page_size, flash_.end(), 0xFF);
  recording_ = true;
  records_ = 0;
  first_record_ms_ = -1;
  next_record_ms_ = clock_ms + (start - now);
  zero_.LastPage = 0;
  zero_.LastOffset = 0;
  zero_.Start = FromMsSince2000(start);
  last_record_depth_ = depth_at_ ? depth_at_(next_record_ms_) : 0;
  WriteZeroPage();
}

void SurfaceRecorderSimulator::Run(int64_t clock_ms) {
  const int64_t capacity =
      int64_t{settings_.pages - 1} * settings_.page_size / 6;  // records that fit
  bool wrote = false;
  while (recording_ && next_record_ms_ <= clock_ms && records_ < capacity) {
    const int64_t at = next_record_ms_;
    const double depth = depth_at_ ? depth_at_(at) : 0;
    const double interval = settings_.label_interval_m;
    const bool mark =
        interval > 0 && std::floor(depth / interval) != std::floor(last_record_depth_ / interval);
    SurfaceRecord r;
    r.DepthTenths = CountedTenths(at);
    r.Mark = mark;
    r.Tension = static_cast<uint32_t>(std::lround(Tension(depth, depth - last_record_depth_)));
    auto bytes = EncodeSurfaceRecord(r);
    const int64_t offset = settings_.page_size + records_ * 6;
    std::copy(bytes.begin(), bytes.end(), flash_.begin() + offset);
    zero_.LastPage = static_cast<int>(offset / settings_.page_size);
    zero_.LastOffset = static_cast<int>(offset % settings_.page_size);
    if (first_record_ms_ < 0) first_record_ms_ = at;
    last_record_depth_ = depth;
    ++records_;
    next_record_ms_ += 1000;
    wrote = true;
  }
  if (wrote) WriteZeroPage();
}

size_t SurfaceRecorderSimulator::CommandLength(uint8_t code) {
  switch (code) {
    case 0x03:
      return 8;
    case 0x06:
      return 5;
    case 0x12:
    case 0x13:
      return 2;
    case 0x14:
      return 5;
    case 0x15:
      return 9;
    case 0x18:
      return 6;
    default:
      return 1;
  }
}

bool SurfaceRecorderSimulator::Takes(uint8_t byte) const {
  std::lock_guard lock(mutex_);
  if (!pending_.empty()) return true;
  switch (byte) {
    case 0x02:
    case 0x03:
    case 0x06:
    case 0x0A:
    case 0x10:
    case 0x11:
    case 0x12:
    case 0x13:
    case 0x14:
    case 0x15:
    case 0x18:
      return true;
    default:
      return false;
  }
}

void SurfaceRecorderSimulator::Receive(uint8_t byte) {
  std::lock_guard lock(mutex_);
  pending_.push_back(byte);
  if (pending_.size() < CommandLength(pending_[0])) return;
  std::vector<uint8_t> cmd;
  cmd.swap(pending_);
  Run(clock_.NowMs());
  Command(cmd);
}

void SurfaceRecorderSimulator::Emit(std::array<uint8_t, 6> p) {
  p[5] = static_cast<uint8_t>(0x100 - ((p[0] + p[1] + p[2] + p[3] + p[4]) & 0xFF));
  out_.push_back(p);
}

void SurfaceRecorderSimulator::Reply(uint8_t id, uint32_t v) {
  auto b = ReplyValueBytes(v);
  Emit({id, b[0], b[1], b[2], b[3], 0});
}

void SurfaceRecorderSimulator::Command(const std::vector<uint8_t>& cmd) {
  const int64_t now = clock_.NowMs();
  switch (cmd[0]) {
    case 0x0A: {
      SurfaceStatus s;
      s.PageSize = settings_.page_size;
      s.PageCount = static_cast<uint16_t>(settings_.pages);
      s.ClockOk = settings_.clock_ok;
      s.MemoryOk = settings_.memory_ok;
      s.DepthChipOk = settings_.depth_chip_ok;
      s.SpeedChipOk = settings_.speed_chip_ok;
      s.TensionChipOk = settings_.tension_chip_ok;
      Reply(kStatusId, EncodeSurfaceStatus(s));
      break;
    }
    case 0x02: {
      ToolTime t = FromMsSince2000(RecorderMs(now));
      uint8_t b[7] = {ToBcdByte(t.Year % 100), ToBcdByte(t.Month),
                      ToBcdByte(t.Day),        ToBcdByte(DayOfWeek(t.Year, t.Month, t.Day)),
                      ToBcdByte(t.Hour),       ToBcdByte(t.Minute),
                      ToBcdByte(t.Second)};
      Reply(kDateTimeId, uint32_t{b[1]} << 24 | uint32_t{b[2]} << 16 | b[0]);
      Reply(kDateTimeId, uint32_t{b[5]} << 24 | uint32_t{b[6]} << 16 | uint32_t{b[3]} << 8 | b[4]);
      break;
    }
    case 0x03: {
      int sec = FromBcdByte(cmd[1]), min = FromBcdByte(cmd[2]), hour = FromBcdByte(cmd[3]);
      int day = FromBcdByte(cmd[5]), month = FromBcdByte(cmd[6]), year = FromBcdByte(cmd[7]);
      if (sec >= 0 && min >= 0 && hour >= 0 && year >= 0 && ValidDate(2000 + year, month, day)) {
        recorder_base_ms_ = MsSince2000({2000 + year, month, day, hour, min, sec, 0});
        clock_base_ms_ = now;
      }
      break;
    }
    case 0x06: {
      int first = cmd[1] << 8 | cmd[2];
      int last = std::min(cmd[3] << 8 | cmd[4], settings_.pages - 1);
      for (int page = first; page <= last; ++page) {
        const uint8_t* data = flash_.data() + static_cast<size_t>(page) * settings_.page_size;
        for (int v = 0; v < settings_.page_size / 4; ++v)
          Reply(kTaskId, ReplyValueOf(data + 4 * static_cast<size_t>(v)));
      }
      break;
    }
    case 0x10:
      recording_ = false;
      pass_through_ = false;
      break;
    case 0x11:
      pass_through_ = false;
      if (!recording_) StartRecording(now);
      break;
    case 0x12:
      pass_through_ = cmd[1] != 0;
      next_live_ms_ = now;
      last_live_depth_ = depth_at_ ? depth_at_(now) : 0;
      break;
    case 0x13:
      if (cmd[1] >= 1 && cmd[1] <= 100) zero_.DepthCoefficient = cmd[1];
      WriteZeroPage();
      break;
    case 0x14:
      zero_.SpeedK = DecodeToolFloat({cmd[1], cmd[2], cmd[3], cmd[4]});
      WriteZeroPage();
      break;
    case 0x15:
      zero_.TensionK = DecodeToolFloat({cmd[1], cmd[2], cmd[3], cmd[4]});
      zero_.TensionB = DecodeToolFloat({cmd[5], cmd[6], cmd[7], cmd[8]});
      WriteZeroPage();
      break;
    case 0x18: {
      std::array<uint8_t, 5> digits{cmd[1], cmd[2], cmd[3], cmd[4], cmd[5]};
      double truth = depth_at_ ? depth_at_(now) : 0;
      depth_offset_m_ = DecodeDepthDigits(digits) / 10.0 - truth;
      break;
    }
    default:
      break;
  }
}

void SurfaceRecorderSimulator::Drain(std::deque<uint8_t>& out, size_t max_bytes) {
  std::lock_guard lock(mutex_);
  const int64_t now = clock_.NowMs();
  Run(now);
  if (pass_through_ && now >= next_live_ms_) {
    next_live_ms_ = now + 100;
    const double depth = depth_at_ ? depth_at_(now) : 0;
    const double interval = settings_.label_interval_m;
    auto v = static_cast<uint32_t>(CountedTenths(now));
    if (interval > 0 && std::floor(depth / interval) != std::floor(last_live_depth_ / interval))
      v |= 1u << 24;
    last_live_depth_ = depth;
    // A LongInteger sensor: bits 8-15, 0-7, 24-31, 16-23 in the packet's data bytes.
    Emit({kZulDepthId, static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v),
          static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16), 0});
  }
  while (!out_.empty() && out.size() + 6 <= max_bytes) {
    out.insert(out.end(), out_.front().begin(), out_.front().end());
    out_.pop_front();
  }
}

ToolTime SurfaceRecorderSimulator::Now() const {
  std::lock_guard lock(mutex_);
  return FromMsSince2000(RecorderMs(clock_.NowMs()));
}

bool SurfaceRecorderSimulator::Recording() const {
  std::lock_guard lock(mutex_);
  return recording_;
}

void SurfaceRecorderSimulator::SetSelfTest(bool clock, bool memory, bool depth_chip,
                                           bool speed_chip, bool tension_chip) {
  std::lock_guard lock(mutex_);
  settings_.clock_ok = clock;
  settings_.memory_ok = memory;
  settings_.depth_chip_ok = depth_chip;
  settings_.speed_chip_ok = speed_chip;
  settings_.tension_chip_ok = tension_chip;
}

bool SurfaceRecorderSimulator::PassThrough() const {
  std::lock_guard lock(mutex_);
  return pass_through_;
}

int64_t SurfaceRecorderSimulator::RecordCount() const {
  std::lock_guard lock(mutex_);
  return records_;
}

SurfaceZeroPage SurfaceRecorderSimulator::ZeroPage() const {
  std::lock_guard lock(mutex_);
  return zero_;
}

int64_t SurfaceRecorderSimulator::FirstRecordClockMs() const {
  std::lock_guard lock(mutex_);
  return first_record_ms_;
}

std::vector<uint8_t> SurfaceRecorderSimulator::Page(int page) const {
  std::lock_guard lock(mutex_);
  if (page < 0 || page >= settings_.pages) return {};
  auto begin = flash_.begin() + static_cast<long>(page) * settings_.page_size;
  return {begin, begin + settings_.page_size};
}

}  // namespace kest::sim
