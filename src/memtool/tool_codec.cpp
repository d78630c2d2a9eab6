#include "memtool/tool_codec.h"

#include <sys/time.h>

#include <cmath>
#include <ctime>

#include "support/rounding.h"

namespace kest {

void UnpackReplyBytes(std::span<const uint32_t> values, std::vector<uint8_t>& out) {
  out.reserve(out.size() + values.size() * 4);
  for (uint32_t v : values) {
    auto b = ReplyValueBytes(v);
    out.insert(out.end(), b.begin(), b.end());
  }
}

uint8_t ToBcdByte(int value) {
  value %= 100;
  if (value < 0) value += 100;
  return static_cast<uint8_t>((value / 10) << 4 | (value % 10));
}

int FromBcdByte(uint8_t byte) {
  int high = byte >> 4, low = byte & 0x0F;
  if (high > 9 || low > 9) return -1;
  return high * 10 + low;
}

bool ValidDate(int year, int month, int day) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1) return false;
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

int64_t DaysFromCivil(int year, int month, int day) {
  int64_t y = year - (month <= 2 ? 1 : 0);
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yoe = y - era * 400;
  int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

int DayOfWeek(int year, int month, int day) {
  // 1970-01-01 was a Thursday (5 when Sunday is 1).
  int64_t d = (DaysFromCivil(year, month, day) + 4) % 7;
  if (d < 0) d += 7;
  return static_cast<int>(d) + 1;
}

ToolTime LocalToolTime() {
  timeval tv{};
  gettimeofday(&tv, nullptr);
  std::tm tm{};
  time_t seconds = tv.tv_sec;
  localtime_r(&seconds, &tm);
  return {tm.tm_year + 1900,
          tm.tm_mon + 1,
          tm.tm_mday,
          tm.tm_hour,
          tm.tm_min,
          tm.tm_sec,
          static_cast<int>(tv.tv_usec / 1000)};
}

std::array<uint8_t, 7> EncodeClock(const ToolTime& t) {
  return {ToBcdByte(t.Second),    ToBcdByte(t.Minute),
          ToBcdByte(t.Hour),      ToBcdByte(DayOfWeek(t.Year, t.Month, t.Day)),
          ToBcdByte(t.Day),       ToBcdByte(t.Month),
          ToBcdByte(t.Year % 100)};
}

std::optional<ToolTime> DecodeClock(uint32_t a, uint32_t b) {
  const uint8_t bytes[7] = {static_cast<uint8_t>(a),       static_cast<uint8_t>(a >> 24),
                            static_cast<uint8_t>(a >> 16), static_cast<uint8_t>(b >> 8),
                            static_cast<uint8_t>(b),       static_cast<uint8_t>(b >> 24),
                            static_cast<uint8_t>(b >> 16)};
  int v[7];
  for (int i = 0; i < 7; ++i)
    if ((v[i] = FromBcdByte(bytes[i])) < 0) return std::nullopt;
  ToolTime t{2000 + v[0], v[1], v[2], v[4], v[5], v[6], 0};
  if (!ValidDate(t.Year, t.Month, t.Day) || t.Hour > 23 || t.Minute > 59 || t.Second > 59)
    return std::nullopt;
  return t;
}

ToolStatus DecodeStatus(uint32_t v) {
  ToolStatus s;
  s.PageCount = static_cast<uint16_t>((v & 0xFF) << 8 | (v >> 24));
  s.TaskCount = static_cast<int>((v >> 8) & 0xFF);
  s.AdcOk = v >> 16 & 1;
  s.Chip1Ok = v >> 17 & 1;
  s.Chip2Ok = v >> 18 & 1;
  s.ClockOk = v >> 19 & 1;
  s.OnBattery = v >> 20 & 1;
  return s;
}

uint32_t EncodeStatus(const ToolStatus& s) {
  uint32_t v = (s.PageCount >> 8) | uint32_t{static_cast<uint8_t>(s.PageCount)} << 24;
  v |= uint32_t{static_cast<uint8_t>(s.TaskCount)} << 8;
  v |= uint32_t{s.AdcOk} << 16 | uint32_t{s.Chip1Ok} << 17 | uint32_t{s.Chip2Ok} << 18;
  v |= uint32_t{s.ClockOk} << 19 | uint32_t{s.OnBattery} << 20;
  return v;
}

double DecodeToolFloat(const std::array<uint8_t, 4>& b) {
  if (b[0] == 0) return 0;
  uint32_t mantissa =
      uint32_t{static_cast<uint8_t>(b[1] & 0x7F)} << 16 | uint32_t{b[2]} << 8 | b[3];
  double value = std::ldexp(1.0 + mantissa / 8388608.0, b[0] - 127);
  return (b[1] & 0x80) ? -value : value;
}

std::array<uint8_t, 4> EncodeToolFloat(double x) {
  if (x == 0 || !std::isfinite(x)) return {0, 0, 0, 0};
  double magnitude = std::fabs(x);
  int c = static_cast<int>(std::floor(std::log2(magnitude)));
  auto m =
      static_cast<int64_t>(RoundHalfEvenValue(std::ldexp(magnitude, -c) * 8388608.0)) - 8388608;
  // log2 may land one off near a power of two, and rounding may carry into 2.0.
  if (m < 0) {
    --c;
    m = static_cast<int64_t>(RoundHalfEvenValue(std::ldexp(magnitude, -c) * 8388608.0)) - 8388608;
  }
  if (m >= 8388608) {
    ++c;
    m = 0;
  }
  if (c + 127 < 1) return {0, 0, 0, 0};
  if (c + 127 > 255) {
    c = 128;
    m = 8388607;
  }
  uint32_t word = static_cast<uint32_t>(c + 127) << 24 | static_cast<uint32_t>(m);
  if (x < 0) word |= 0x800000;
  return {static_cast<uint8_t>(word >> 24), static_cast<uint8_t>(word >> 16),
          static_cast<uint8_t>(word >> 8), static_cast<uint8_t>(word)};
}

}  // namespace kest
