#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "memtool/tool_codec.h"

namespace kest {

// Byte layouts of the surface recorder at the winch: its status word, its zero page
// and its six-byte records, and the bytes of its set-depth command.

// The status word (the one value of the "Status" reply):
//   | bits 0-7             | 8-15                 | 17      | 18         | 19         |
//   | page count high byte | not 0: 528-byte page | tension | speed chip | depth chip |
//   | 20          | 21         | 24-31               |
//   | memory test | clock test | page count low byte |
struct SurfaceStatus {
  int PageSize = 264;
  uint16_t PageCount = 0;
  bool ClockOk = false;
  bool MemoryOk = false;
  bool DepthChipOk = false;
  bool SpeedChipOk = false;
  bool TensionChipOk = false;
  double MemoryKb() const { return PageCount * (PageSize / 1024.0); }
};
SurfaceStatus DecodeSurfaceStatus(uint32_t v);
uint32_t EncodeSurfaceStatus(const SurfaceStatus& s);

// The rows of the test panel: "Память(КБ)" and the five flags. Every row reads
// "Ошибка !" until a test sets it; a flag row changes only when its flag is set.
class SurfaceStatusRows {
 public:
  static constexpr int kRowCount = 6;
  static constexpr const char* kError = "Ошибка !";
  static const char* Title(int row);
  SurfaceStatusRows();
  void Apply(const SurfaceStatus& s);
  const std::string& Text(int row) const { return texts_[static_cast<size_t>(row)]; }

 private:
  std::vector<std::string> texts_;
};

// The zero page (page 0):
//   | 0-1 last written page | 2-3 offset of the last record in it | (high byte first)
//   | 4-9 start of the recording, BCD: year - 2000, month, day, day of week, hour, minute |
//   | 16-19 tension k | 20-23 tension b | 32-35 speed k |        tool floats
//   | 48 depth coefficient 1..100 |
// Erased (all 0xFF) coefficients read as k 1.0, b 0.0, speed 12.0 and depth 10.
struct SurfaceZeroPage {
  static constexpr size_t kMinBytes = 8;  // two reply values
  int LastPage = 0;
  int LastOffset = 0;
  std::optional<ToolTime> Start;  // nothing when the BCD is not a valid date and time
  double TensionK = 1.0;
  double TensionB = 0.0;
  double SpeedK = 12.0;
  int DepthCoefficient = 10;
};
// Nothing when fewer than kMinBytes bytes came; fields beyond the bytes keep their
// defaults.
std::optional<SurfaceZeroPage> DecodeSurfaceZeroPage(std::span<const uint8_t> bytes);
std::vector<uint8_t> EncodeSurfaceZeroPage(const SurfaceZeroPage& z, int page_size);

// Records written: round((P - 1) S / 6 + (O + 6) / 6); 0 or less when none.
int64_t SurfaceRecordCount(int last_page, int last_offset, int page_size);
// Bytes of records from the start of page 1: (P - 1) S + O + 6, at least 0.
int64_t SurfaceRecordBytes(int last_page, int last_offset, int page_size);
// "Время начала: ...", "Количество замеров: ...", "Время регистрации: ...".
std::string SurfaceStartText(const SurfaceZeroPage& z);
std::string SurfaceCountText(int64_t records);

// One record a second, from page 1 on:
//   | 0-2 depth, tenths of a metre, 24 bits high byte first | 3-5 tension, 24 bits |
// A first byte above 1 carries a magnetic mark; the depth's high byte is then the
// first byte read as a signed 8-bit value plus 128. 0xFF 0xFF 0xFF ends the data.
struct SurfaceRecord {
  int32_t DepthTenths = 0;
  uint32_t Tension = 0;
  bool Mark = false;
};
struct SurfaceRecordStream {
  std::vector<SurfaceRecord> Records;
  bool EndMarker = false;    // stopped at 0xFF 0xFF 0xFF
  size_t LeftoverBytes = 0;  // bytes after the last whole record (no end marker)
};
// Whole records of `bytes` up to the end marker, at most `max_records`.
SurfaceRecordStream DecodeSurfaceRecords(std::span<const uint8_t> bytes,
                                         size_t max_records = SIZE_MAX);
std::array<uint8_t, 6> EncodeSurfaceRecord(const SurfaceRecord& r);

// The set-depth command's digits: the text trimmed must be a number from 0 to
// 9999.9; it is rewritten "%.1f" and its five digits (left-padded with 0) go least
// significant first (123.4 -> 4, 3, 2, 1, 0). The message when it is not.
struct DepthDigits {
  std::string Text;  // "%.1f"
  std::array<uint8_t, 5> Bytes{};
  std::string Error;  // empty when the text is good
};
DepthDigits EncodeDepthText(const std::string& text);
inline constexpr const char* kDepthNotNumberText = "Неверное значение глубины !";
inline constexpr const char* kDepthRangeText = "Введите число от 0 до 9999.9 !";
// The depth the recorder takes from five digits (tenths of a metre).
int32_t DecodeDepthDigits(const std::array<uint8_t, 5>& digits);

// A coefficient field: a comma counts as a point. Nothing when it is not a number.
std::optional<double> ParseCoefficient(const std::string& text);

}  // namespace kest
