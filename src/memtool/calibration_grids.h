#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "memtool/calibration_record.h"

namespace kest {

// The text rules of the calibration windows' grids, so the windows only move text.

// A coefficient cell: "0.00000E+00".
std::string CoefficientText(double value);
// A typed coefficient ("," taken as "."); nothing when it is not a number.
std::optional<double> ParseCoefficient(std::string_view text);
// A gain cell: "$" and two hexadecimal digits.
std::string GainText(uint8_t gain);
// A typed gain: decimal, or hexadecimal after "$"; 0 when it is not a byte.
uint8_t ParseGain(std::string_view text);
// A divider cell: "0.#".
std::string DividerText(double divider);
// A typed divider: a whole number from 1; anything else (0 included, which would
// divide by zero in the read-out) gives 1.
double ParseDivider(std::string_view text);
// A reference pressure as a column title: "9.80665 МПа".
std::string PressureTitle(double mpa);

// The grids of "Введите замеры по каналам": the measurement grid (9 columns: the
// reference temperature, the temperature channel's reading, the pressure readings at
// the 7 reference pressures) and the compensation grid (8 columns: the reference
// temperature, the compensation readings). Below the title row each grid shows the
// record's rows 0-6; rows 1-5 are typed, rows 0 (0 °C) and 6 (120 °C) are computed.
enum class TMeasurementGrid { Measurement, Compensation };

inline constexpr int kFirstMeasuredRow = 1;
inline constexpr int kLastMeasuredRow = 5;

int MeasurementGridColumns(TMeasurementGrid grid);
std::string MeasurementColumnTitle(TMeasurementGrid grid, int column, const TCoefRecord& record);
// The record place of a cell (record row 0-6). Column 0 of both grids is the same
// place: the reference temperature.
size_t MeasurementPlace(TMeasurementGrid grid, int column, int row);
std::string MeasurementText(const TCoefRecord& record, TMeasurementGrid grid, int column, int row);

// Takes typed cells into the record one by one. A cell that does not parse keeps its
// place's value and is listed; Message() is then the one report for all of them:
// "Ячейка(и) (1,Т эталон); (3,10 МПа);  содержит(ат) нечисловые данные."
class TMeasurementTaker {
 public:
  explicit TMeasurementTaker(TCoefRecord& record) : record_(record) {}
  void Take(TMeasurementGrid grid, int column, int row, std::string_view text);
  bool Ok() const { return list_.empty(); }
  std::string Message() const;

 private:
  TCoefRecord& record_;
  std::string list_;
};

// The measured rows as text, one calibration temperature a line, tab-separated: the
// reference temperature, the temperature reading, the 7 pressure readings, the 7
// compensation readings. "#" lines and empty lines are skipped. Exactly five lines of
// 16 numbers are taken into rows 1-5 of `record`; anything else raises
// EMemoryToolError naming the line, and `record` is then unchanged.
void ReadMeasurementText(std::string_view text, TCoefRecord& record);
std::string WriteMeasurementText(const TCoefRecord& record);

}  // namespace kest
