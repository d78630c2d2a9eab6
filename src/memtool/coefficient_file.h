#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "memtool/calibration_record.h"
#include "memtool/memtool_errors.h"
#include "memtool/tool_codec.h"

namespace kest {

// A coefficient file that is not one: wrong size, header or version.
KEST_DECLARE_ERROR(ECoefFileError, EMemoryToolError);

inline constexpr const char* kBadCoefFileText = "Неверный формат файла";
// The file dialogs' filter: "Файлы коэффициентов" (*.cfs), "Все файлы" (*.*).
inline constexpr const char* kCoefFileExtension = "cfs";

// A coefficient file (".cfs"), 2032 bytes:
//
//   | bytes   | content                                                   |
//   |---------|-----------------------------------------------------------|
//   | 0       | 9, the length of the text                                 |
//   | 1-9     | "QMRCoeffs"                                               |
//   | 10-11   | 0                                                         |
//   | 12-15   | version 1, signed 32-bit little-endian                    |
//   | 16-23   | moment of saving: days since 30.12.1899, double LE        |
//   | 24-2031 | the coefficient record                                    |
struct TCoefFile {
  static constexpr size_t kHeaderSize = 24;
  static constexpr size_t kSize = kHeaderSize + TCoefRecord::kBytes;
  static constexpr int32_t kVersion = 1;

  TCoefRecord Record;
  double SavedDays = 0;
};

// Refuses anything but a whole version-1 file with ECoefFileError "Неверный формат файла".
TCoefFile DecodeCoefFile(std::span<const uint8_t> bytes);
std::vector<uint8_t> EncodeCoefFile(const TCoefFile& file);

// Reads a file (EInOutError when it cannot be read, ECoefFileError when it is not one;
// nothing larger than a coefficient file is read into memory).
TCoefFile LoadCoefFile(const std::string& path);
// Writes through a temporary file renamed over the target: a failed save leaves the
// old file as it was.
void SaveCoefFile(const std::string& path, const TCoefFile& file);

// Days since 30.12.1899 of a local moment, and back ("dd.mm.yyyy hh:mm:ss", or
// "Не известно" for a count outside the years 1900-9999 or not a number).
double DayCount(const ToolTime& t);
std::optional<ToolTime> DayCountTime(double days);
std::string DayCountText(double days);

}  // namespace kest
