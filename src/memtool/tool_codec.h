#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kest {

// Byte layouts of the memory tool's replies and commands.

// The four memory bytes one 32-bit reply value stands for, in memory order:
//   | byte 0 | byte 1 | byte 2  | byte 3  |
//   | v 8-15 | v 0-7  | v 24-31 | v 16-23 |
// (the data bytes D0..D3 of the tool's packet, as a "LongInteger" sensor took them).
inline std::array<uint8_t, 4> ReplyValueBytes(uint32_t v) {
  return {static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 24),
          static_cast<uint8_t>(v >> 16)};
}
// The reply value that carries four memory bytes (the inverse of ReplyValueBytes).
inline uint32_t ReplyValueOf(const uint8_t* b) {
  return uint32_t{b[2]} << 24 | uint32_t{b[3]} << 16 | uint32_t{b[0]} << 8 | b[1];
}
// Appends the memory bytes of `values` to `out`.
void UnpackReplyBytes(std::span<const uint32_t> values, std::vector<uint8_t>& out);

// Two-digit binary-coded decimal.
uint8_t ToBcdByte(int value);  // 0..99, else taken modulo 100
// -1 when a digit is not 0..9.
int FromBcdByte(uint8_t byte);

// Gregorian day of week, 1 = Sunday .. 7 = Saturday.
int DayOfWeek(int year, int month, int day);
bool ValidDate(int year, int month, int day);
// Days since 1970-01-01 of a valid date.
int64_t DaysFromCivil(int year, int month, int day);

// A local wall-clock moment as the tool's clock holds it.
struct ToolTime {
  int Year = 2000;
  int Month = 1;
  int Day = 1;
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
  int Millisecond = 0;
  bool operator==(const ToolTime&) const = default;
};
// The local time now, from the system (the program's "PC clock").
ToolTime LocalToolTime();

// The seven clock bytes of the set-clock command, BCD, in this order:
//   | second | minute | hour | day of week | day | month | year mod 100 |
// The fraction of a second is dropped (23:59:59.9 sends second 0x59).
std::array<uint8_t, 7> EncodeClock(const ToolTime& t);
// The clock read-back, two reply values A and B:
//   | A 0-7 | A 24-31 | A 16-23 | B 8-15      | B 0-7 | B 24-31 | B 16-23 |
//   | year  | month   | day     | day of week | hour  | minute  | second  |
// (BCD, year 2000 + value). Nothing when a digit or a field is out of range.
std::optional<ToolTime> DecodeClock(uint32_t a, uint32_t b);

// The status word (first value of the "Status" reply).
//   | bits 0-7             | 8-15  | 16  | 17     | 18     | 19    | 20      | 24-31 | | page count
//   high byte | tasks | ADC | chip 1 | chip 2 | clock | battery | page count low byte |
struct ToolStatus {
  uint16_t PageCount = 0;
  int TaskCount = 0;
  bool AdcOk = false;
  bool Chip1Ok = false;
  bool Chip2Ok = false;
  bool ClockOk = false;
  bool OnBattery = false;
};
ToolStatus DecodeStatus(uint32_t v);
uint32_t EncodeStatus(const ToolStatus& s);

// The tools' 4-byte float, in wire order:
//   | E (bias 127) | S, mantissa 22-16 | mantissa 15-8 | mantissa 7-0 |
// value 0 when E = 0, else (-1)^S (1 + m / 2^23) 2^(E - 127).
double DecodeToolFloat(const std::array<uint8_t, 4>& bytes);
// Zero, infinities and NaN give four zero bytes; magnitudes beyond the exponent's
// range saturate at the largest or smallest one.
std::array<uint8_t, 4> EncodeToolFloat(double x);

}  // namespace kest
