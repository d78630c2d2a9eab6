#include "memtool/surface_records.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "support/number_text.h"
#include "support/rounding.h"

namespace kest {

namespace {

constexpr int kClockBit = 21, kMemoryBit = 20, kDepthBit = 19, kSpeedBit = 18, kTensionBit = 17;

bool Bit(uint32_t v, int bit) { return (v >> bit) & 1u; }

bool Erased(std::span<const uint8_t> bytes, size_t at, size_t count) {
  return std::all_of(bytes.begin() + static_cast<long>(at),
                     bytes.begin() + static_cast<long>(at + count),
                     [](uint8_t b) { return b == 0xFF; });
}

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t\r\n"), b = s.find_last_not_of(" \t\r\n");
  return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

}  // namespace

SurfaceStatus DecodeSurfaceStatus(uint32_t v) {
  SurfaceStatus s;
  s.PageSize = ((v >> 8) & 0xFF) != 0 ? 528 : 264;
  s.PageCount = static_cast<uint16_t>((v & 0xFF) << 8 | (v >> 24));
  s.ClockOk = Bit(v, kClockBit);
  s.MemoryOk = Bit(v, kMemoryBit);
  s.DepthChipOk = Bit(v, kDepthBit);
  s.SpeedChipOk = Bit(v, kSpeedBit);
  s.TensionChipOk = Bit(v, kTensionBit);
  return s;
}

uint32_t EncodeSurfaceStatus(const SurfaceStatus& s) {
  uint32_t v = uint32_t{s.PageCount} >> 8 | uint32_t{static_cast<uint8_t>(s.PageCount)} << 24;
  if (s.PageSize == 528) v |= 0x01u << 8;
  auto set = [&](bool on, int bit) {
    if (on) v |= 1u << bit;
  };
  set(s.ClockOk, kClockBit);
  set(s.MemoryOk, kMemoryBit);
  set(s.DepthChipOk, kDepthBit);
  set(s.SpeedChipOk, kSpeedBit);
  set(s.TensionChipOk, kTensionBit);
  return v;
}

const char* SurfaceStatusRows::Title(int row) {
  static constexpr const char* kTitles[kRowCount] = {
      "Память(КБ)", "Тест часов", "Тест памяти", "Чип глубины", "Чип скорости", "Чип натяжения"};
  return row >= 0 && row < kRowCount ? kTitles[row] : "";
}

SurfaceStatusRows::SurfaceStatusRows() : texts_(kRowCount, kError) {}

void SurfaceStatusRows::Apply(const SurfaceStatus& s) {
  char kb[32];
  std::snprintf(kb, sizeof kb, "%.2f", s.MemoryKb());
  texts_[0] = kb;
  const bool flags[] = {s.ClockOk, s.MemoryOk, s.DepthChipOk, s.SpeedChipOk, s.TensionChipOk};
  const char* words[] = {"Пройден", "Пройден", "Работает", "Работает", "Работает"};
  for (size_t i = 0; i < 5; ++i)
    if (flags[i]) texts_[i + 1] = words[i];
}

std::optional<SurfaceZeroPage> DecodeSurfaceZeroPage(std::span<const uint8_t> b) {
  if (b.size() < SurfaceZeroPage::kMinBytes) return std::nullopt;
  SurfaceZeroPage z;
  z.LastPage = b[0] << 8 | b[1];
  z.LastOffset = b[2] << 8 | b[3];
  if (b.size() >= 10) {
    int f[6];
    for (size_t i = 0; i < 6; ++i) f[i] = FromBcdByte(b[4 + i]);
    ToolTime t{2000 + f[0], f[1], f[2], f[4], f[5], 0, 0};
    if (f[0] >= 0 && f[4] >= 0 && f[4] < 24 && f[5] >= 0 && f[5] < 60 &&
        ValidDate(t.Year, t.Month, t.Day))
      z.Start = t;
  }
  auto tool_float = [&](size_t at, double erased, double& out) {
    if (b.size() < at + 4) return;
    out = Erased(b, at, 4) ? erased : DecodeToolFloat({b[at], b[at + 1], b[at + 2], b[at + 3]});
  };
  tool_float(16, 1.0, z.TensionK);
  tool_float(20, 0.0, z.TensionB);
  tool_float(32, 12.0, z.SpeedK);
  if (b.size() > 48) z.DepthCoefficient = b[48] == 0xFF ? 10 : b[48];
  return z;
}

std::vector<uint8_t> EncodeSurfaceZeroPage(const SurfaceZeroPage& z, int page_size) {
  std::vector<uint8_t> b(static_cast<size_t>(std::max(page_size, 64)), 0xFF);
  b[0] = static_cast<uint8_t>(z.LastPage >> 8);
  b[1] = static_cast<uint8_t>(z.LastPage);
  b[2] = static_cast<uint8_t>(z.LastOffset >> 8);
  b[3] = static_cast<uint8_t>(z.LastOffset);
  if (z.Start) {
    const ToolTime& t = *z.Start;
    const int fields[6] = {t.Year - 2000, t.Month, t.Day, DayOfWeek(t.Year, t.Month, t.Day),
                           t.Hour,        t.Minute};
    for (size_t i = 0; i < 6; ++i) b[4 + i] = ToBcdByte(fields[i]);
  }
  auto put = [&](size_t at, double v) {
    auto f = EncodeToolFloat(v);
    std::copy(f.begin(), f.end(), b.begin() + static_cast<long>(at));
  };
  put(16, z.TensionK);
  put(20, z.TensionB);
  put(32, z.SpeedK);
  b[48] = static_cast<uint8_t>(z.DepthCoefficient);
  return b;
}

int64_t SurfaceRecordCount(int last_page, int last_offset, int page_size) {
  return RoundHalfEven((last_page - 1) * static_cast<double>(page_size) / 6 +
                       (last_offset + 6) / 6.0);
}

int64_t SurfaceRecordBytes(int last_page, int last_offset, int page_size) {
  return std::max<int64_t>(0, int64_t{last_page - 1} * page_size + last_offset + 6);
}

std::string SurfaceStartText(const SurfaceZeroPage& z) {
  if (!z.Start) return "Время начала: Не известно";
  char buf[64];
  const ToolTime& t = *z.Start;
  std::snprintf(buf, sizeof buf, "%02d.%02d.%04d %02d:%02d:%02d", t.Day, t.Month, t.Year, t.Hour,
                t.Minute, t.Second);
  return std::string("Время начала: ") + buf;
}

std::string SurfaceCountText(int64_t n) {
  if (n <= 0) return "Количество замеров: Данные не сохранены\nВремя регистрации: Не известно";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%2lld:%2lld:%2lld", static_cast<long long>(n / 3600),
                static_cast<long long>(n / 60 % 60), static_cast<long long>(n % 60));
  return "Количество замеров: " + std::to_string(n) + "\nВремя регистрации: " + buf;
}

SurfaceRecordStream DecodeSurfaceRecords(std::span<const uint8_t> b, size_t max_records) {
  SurfaceRecordStream out;
  size_t at = 0;
  while (b.size() - at >= 3 && out.Records.size() < max_records) {
    if (b[at] == 0xFF && b[at + 1] == 0xFF && b[at + 2] == 0xFF) {
      out.EndMarker = true;
      return out;
    }
    if (b.size() - at < 6) break;
    SurfaceRecord r;
    uint8_t high = b[at];
    if (high > 1) {
      r.Mark = true;
      high = static_cast<uint8_t>(static_cast<int8_t>(high) + 128);
    }
    r.DepthTenths = high << 16 | b[at + 1] << 8 | b[at + 2];
    r.Tension = uint32_t{b[at + 3]} << 16 | uint32_t{b[at + 4]} << 8 | b[at + 5];
    out.Records.push_back(r);
    at += 6;
  }
  if (out.Records.size() < max_records) out.LeftoverBytes = b.size() - at;
  return out;
}

std::array<uint8_t, 6> EncodeSurfaceRecord(const SurfaceRecord& r) {
  auto d = static_cast<uint32_t>(r.DepthTenths) & 0xFFFFFF;
  auto high = static_cast<uint8_t>(d >> 16);
  if (r.Mark) high = static_cast<uint8_t>(high + 128);
  return {high,
          static_cast<uint8_t>(d >> 8),
          static_cast<uint8_t>(d),
          static_cast<uint8_t>(r.Tension >> 16),
          static_cast<uint8_t>(r.Tension >> 8),
          static_cast<uint8_t>(r.Tension)};
}

DepthDigits EncodeDepthText(const std::string& text) {
  DepthDigits out;
  auto v = ParseFloat(Trim(text));
  if (!v || !std::isfinite(*v)) {
    out.Error = kDepthNotNumberText;
    return out;
  }
  if (*v < 0 || *v > 9999.9) {
    out.Error = kDepthRangeText;
    return out;
  }
  // The text as "%.1f" shows it (-0 as 0), its digits without the point.
  out.Text = FormatFixed(*v + 0.0, 1);
  std::string digits;
  for (char c : out.Text)
    if (c >= '0' && c <= '9') digits.push_back(c);
  digits = std::string(digits.size() < 5 ? 5 - digits.size() : 0, '0') + digits;
  for (size_t i = 0; i < 5; ++i)
    out.Bytes[i] = static_cast<uint8_t>(digits[digits.size() - 1 - i] - '0');
  return out;
}

int32_t DecodeDepthDigits(const std::array<uint8_t, 5>& d) {
  int32_t v = 0;
  for (size_t i = 5; i-- > 0;) v = v * 10 + (d[i] <= 9 ? d[i] : 0);
  return v;
}

std::optional<double> ParseCoefficient(const std::string& text) {
  std::string t = Trim(text);
  std::replace(t.begin(), t.end(), ',', '.');
  auto v = ParseFloat(t);
  if (!v || !std::isfinite(*v)) return std::nullopt;
  return v;
}

}  // namespace kest
