#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kest {

// The tables of the coefficient record, as the windows and the files name them.
enum class TCoefTable {
  Full,          // 7 columns (power of T) x 7 rows (power of x)
  Reference,     // 7 reference pressures, MPa (column = pressure)
  Reduced,       // 7 columns x 2 rows
  Temperature,   // 1 column x 7 rows
  Thermal,       // 4 columns x 2 rows
  Measurement,   // 8 columns x 7 rows: the temperature reading, 7 pressure readings
  Compensation,  // 8 columns x 7 rows: the reference temperature, 7 compensation readings
  Divider,       // 5 channels (column = channel)
};

enum class TPressureUnits { MPa, Kgf };

// One coefficient set: 2008 bytes, 251 little-endian IEEE doubles, seven to a row.
//
//   | doubles           | content                                                     |
//   |-------------------|-------------------------------------------------------------|
//   | 0-48              | full table, column c row r at 7c + r; the coefficient of    |
//   |                   | T^c x^r (tool float f(7r + c))                              |
//   | 49-55             | reference pressures, MPa                                    |
//   | 56-69             | reduced table, row r column c at 56 + 7r + c (f64-f77)      |
//   | 70-76             | temperature coefficients: 70 offset, 71 slope (f49-f55)     |
//   | 77-80, 84-87      | thermal compensation, row r column c at 77 + 7r + c         |
//   |                   | (f56-f63)                                                   |
//   | bytes 1064-1068   | converter gains, one byte per converter channel             |
//   | 134-189           | measurements, column c row r at 134 + 7c + r                |
//   | 190-245           | compensation measurements, column c row r at 190 + 7c + r   |
//   | 246-250           | channel dividers                                            |
//
// Rows 0-6 of the measurement tables are the calibration temperatures: row 0 is
// 0 °C and row 6 is 120 °C (both computed), rows 1-5 are measured. The reference
// temperatures are kept once, in column 0 of the compensation table. The bytes not
// named here are kept as they came.
class TCoefRecord {
 public:
  static constexpr size_t kDoubles = 251;
  static constexpr size_t kBytes = kDoubles * 8;  // 2008
  static constexpr size_t kGainOffset = 1064;
  static constexpr int kGains = 5;
  static constexpr int kDividers = 5;
  // Dividers shown and sent to the tool ("AIN1", "AIN2", "AIN3").
  static constexpr int kShownDividers = 3;
  static constexpr int kRows = 7;  // calibration temperatures, powers of x and T

  // The place of a cell of `table` (column, row as in the table's grid).
  static size_t Place(TCoefTable table, int column, int row);
  static int Columns(TCoefTable table);
  static int Rows(TCoefTable table);

  double At(size_t index) const;
  void Set(size_t index, double value);
  double Get(TCoefTable table, int column, int row) const { return At(Place(table, column, row)); }
  void Put(TCoefTable table, int column, int row, double value) {
    Set(Place(table, column, row), value);
  }
  uint8_t Gain(int channel) const;
  void SetGain(int channel, uint8_t value);

  std::span<const uint8_t, kBytes> Bytes() const { return bytes_; }
  static TCoefRecord FromBytes(std::span<const uint8_t, kBytes> bytes);

  bool operator==(const TCoefRecord&) const = default;

 private:
  std::array<uint8_t, kBytes> bytes_{};
};

// "По умолчанию" of the gain grid: 0x90, 0xB0, 0x90, 0x30, 0x10.
void SetDefaultGains(TCoefRecord& record);
// "По умолчанию" of the divider grid: 1000, 500, 500, 1, 1.
void SetDefaultDividers(TCoefRecord& record);
// A new record: default gains and dividers, reference pressures in MPa, the rest 0.
TCoefRecord NewCoefRecord();
// "1:1": a tool that gives pressure 0.001 x (x = raw / 100) at any temperature,
// temperature 0.002 x raw, no thermal correction, default gains.
void SetUnitTable(TCoefRecord& record);

// The reference pressures in MPa: steps of 10 MPa, or of 100 kgf/cm² (9.80665 MPa).
std::array<double, 7> ReferencePressures(TPressureUnits units);
void SetReferencePressures(TCoefRecord& record, TPressureUnits units);
// The units the record's reference pressures are in (MPa unless they are the kgf steps).
TPressureUnits ReferenceUnits(const TCoefRecord& record);

}  // namespace kest
