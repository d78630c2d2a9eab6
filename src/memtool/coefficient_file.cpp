#include "memtool/coefficient_file.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "memtool/tool_codec.h"
#include "support/atomic_file.h"
#include "support/stream.h"

namespace kest {

namespace {

constexpr char kMagic[] = "QMRCoeffs";
constexpr size_t kMagicLength = 9;
// 30.12.1899 is this many days before 01.01.1970.
constexpr int64_t kEpochShift = 25569;

}  // namespace

TCoefFile DecodeCoefFile(std::span<const uint8_t> bytes) {
  if (bytes.size() != TCoefFile::kSize || bytes[0] != kMagicLength ||
      std::memcmp(bytes.data() + 1, kMagic, kMagicLength) != 0)
    throw ECoefFileError(kBadCoefFileText);
  int32_t version = 0;
  uint64_t day_bits = 0;
  for (size_t i = 0; i < 4; ++i)
    version =
        static_cast<int32_t>(static_cast<uint32_t>(version) | uint32_t{bytes[12 + i]} << (8 * i));
  if (version != TCoefFile::kVersion) throw ECoefFileError(kBadCoefFileText);
  for (size_t i = 0; i < 8; ++i) day_bits |= uint64_t{bytes[16 + i]} << (8 * i);
  TCoefFile file;
  file.SavedDays = std::bit_cast<double>(day_bits);
  file.Record = TCoefRecord::FromBytes(std::span<const uint8_t, TCoefRecord::kBytes>(
      bytes.data() + TCoefFile::kHeaderSize, TCoefRecord::kBytes));
  return file;
}

std::vector<uint8_t> EncodeCoefFile(const TCoefFile& file) {
  std::vector<uint8_t> out(TCoefFile::kSize, 0);
  out[0] = kMagicLength;
  std::memcpy(out.data() + 1, kMagic, kMagicLength);
  for (size_t i = 0; i < 4; ++i)
    out[12 + i] = static_cast<uint8_t>(static_cast<uint32_t>(TCoefFile::kVersion) >> (8 * i));
  const auto bits = std::bit_cast<uint64_t>(file.SavedDays);
  for (size_t i = 0; i < 8; ++i) out[16 + i] = static_cast<uint8_t>(bits >> (8 * i));
  auto record = file.Record.Bytes();
  std::copy(record.begin(), record.end(), out.begin() + TCoefFile::kHeaderSize);
  return out;
}

TCoefFile LoadCoefFile(const std::string& path) {
  FileStream stream(path, FileStream::Mode::Read);
  if (stream.Size() != static_cast<int64_t>(TCoefFile::kSize))
    throw ECoefFileError(kBadCoefFileText);
  std::vector<uint8_t> bytes(TCoefFile::kSize);
  if (stream.Read(bytes.data(), bytes.size()) != bytes.size())
    throw ECoefFileError(kBadCoefFileText);
  return DecodeCoefFile(bytes);
}

void SaveCoefFile(const std::string& path, const TCoefFile& file) {
  auto bytes = EncodeCoefFile(file);
  AtomicFile out(path);
  out.Write(bytes.data(), bytes.size());
  out.Commit();
}

double DayCount(const ToolTime& t) {
  const int64_t days = DaysFromCivil(t.Year, t.Month, t.Day) + kEpochShift;
  const double seconds = ((t.Hour * 60.0 + t.Minute) * 60.0 + t.Second) + t.Millisecond / 1000.0;
  return static_cast<double>(days) + seconds / 86400.0;
}

std::optional<ToolTime> DayCountTime(double days) {
  // 01.01.1900 is day 2, 31.12.9999 day 2958465.
  if (!std::isfinite(days) || days < 2 || days >= 2958466) return std::nullopt;
  auto whole = static_cast<int64_t>(std::floor(days));
  auto seconds = static_cast<int64_t>(std::llround((days - static_cast<double>(whole)) * 86400.0));
  if (seconds >= 86400) {
    ++whole;
    seconds -= 86400;
  }
  // Civil date from days since 01.01.1970 (whole days from 1900 on: never negative eras
  // worth a special case, but the formula takes them).
  const int64_t z = whole - kEpochShift + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  ToolTime t;
  t.Day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  t.Month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  t.Year = static_cast<int>(yoe + era * 400 + (t.Month <= 2 ? 1 : 0));
  t.Hour = static_cast<int>(seconds / 3600);
  t.Minute = static_cast<int>(seconds / 60 % 60);
  t.Second = static_cast<int>(seconds % 60);
  return t;
}

std::string DayCountText(double days) {
  auto t = DayCountTime(days);
  if (!t) return "Не известно";
  char buf[48];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%04d %02d:%02d:%02d", t->Day, t->Month, t->Year,
                t->Hour, t->Minute, t->Second);
  return buf;
}

}  // namespace kest
