#include "memtool/calibration_grids.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "memtool/memtool_errors.h"
#include "support/assert.h"
#include "support/number_text.h"
#include "support/trim.h"

namespace kest {

namespace {

constexpr int kMeasuredColumns = 16;

std::string Unified(std::string_view text) {
  std::string s(Trim(text, kControlOrSpace));
  for (char& c : s)
    if (c == ',') c = '.';
  return s;
}

}  // namespace

std::string CoefficientText(double value) {
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 5);
  if (ec != std::errc()) return "0.00000E+00";
  std::string s(buf, end);
  for (char& c : s)
    if (c == 'e') c = 'E';
  return s;
}

std::optional<double> ParseCoefficient(std::string_view text) {
  auto v = ParseFloat(Unified(text));
  if (!v || !std::isfinite(*v)) return std::nullopt;
  return v;
}

std::string GainText(uint8_t gain) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  return std::string("$") + kHex[gain >> 4] + kHex[gain & 15];
}

uint8_t ParseGain(std::string_view text) {
  std::string s(Trim(text, kControlOrSpace));
  int base = 10;
  if (!s.empty() && s[0] == '$') {
    s.erase(0, 1);
    base = 16;
  }
  unsigned value = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size() || value > 255) return 0;
  return static_cast<uint8_t>(value);
}

std::string DividerText(double divider) {
  std::string s = FormatFixed(divider, 1);
  if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0) s.resize(s.size() - 2);
  return s;
}

double ParseDivider(std::string_view text) {
  auto v = ParseInt(Trim(text, kControlOrSpace));
  return v && *v >= 1 ? *v : 1;
}

std::string PressureTitle(double mpa) { return FormatGeneral(mpa, 7) + " МПа"; }

int MeasurementGridColumns(TMeasurementGrid grid) {
  return grid == TMeasurementGrid::Measurement ? 9 : 8;
}

std::string MeasurementColumnTitle(TMeasurementGrid grid, int column, const TCoefRecord& record) {
  if (column == 0) return "Т эталон";
  if (grid == TMeasurementGrid::Measurement) {
    if (column == 1) return "Т прибор";
    --column;
  }
  return PressureTitle(record.Get(TCoefTable::Reference, column - 1, 0));
}

size_t MeasurementPlace(TMeasurementGrid grid, int column, int row) {
  KEST_ASSERT(column >= 0 && column < MeasurementGridColumns(grid));
  if (column == 0) return TCoefRecord::Place(TCoefTable::Compensation, 0, row);
  if (grid == TMeasurementGrid::Measurement)
    return TCoefRecord::Place(TCoefTable::Measurement, column - 1, row);
  return TCoefRecord::Place(TCoefTable::Compensation, column, row);
}

std::string MeasurementText(const TCoefRecord& record, TMeasurementGrid grid, int column, int row) {
  return FormatGeneral(record.At(MeasurementPlace(grid, column, row)), 10);
}

void TMeasurementTaker::Take(TMeasurementGrid grid, int column, int row, std::string_view text) {
  if (auto v = ParseCoefficient(text)) {
    record_.Set(MeasurementPlace(grid, column, row), *v);
    return;
  }
  list_ += "(" + std::to_string(row) + "," + MeasurementColumnTitle(grid, column, record_) + "); ";
}

std::string TMeasurementTaker::Message() const {
  return list_.empty() ? std::string() : "Ячейка(и) " + list_ + " содержит(ат) нечисловые данные.";
}

void ReadMeasurementText(std::string_view text, TCoefRecord& record) {
  TCoefRecord out = record;
  int row = kFirstMeasuredRow, line_number = 0;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (Trim(line, kControlOrSpace).empty() || Trim(line, kControlOrSpace)[0] == '#') continue;
    const std::string where = "строка " + std::to_string(line_number) + ": ";
    if (row > kLastMeasuredRow) throw EMemoryToolError(where + "замеров больше пяти");
    std::vector<double> v;
    size_t field = 0;
    while (field <= line.size()) {
      size_t tab = line.find('\t', field);
      if (tab == std::string_view::npos) tab = line.size();
      auto number = ParseCoefficient(line.substr(field, tab - field));
      if (!number)
        throw EMemoryToolError(where + "поле " + std::to_string(v.size() + 1) + " не число");
      v.push_back(*number);
      field = tab + 1;
    }
    if (v.size() != kMeasuredColumns)
      throw EMemoryToolError(where + "нужно " + std::to_string(kMeasuredColumns) +
                             " чисел через табуляцию, а их " + std::to_string(v.size()));
    out.Put(TCoefTable::Compensation, 0, row, v[0]);
    out.Put(TCoefTable::Measurement, 0, row, v[1]);
    for (int j = 0; j < 7; ++j) {
      out.Put(TCoefTable::Measurement, j + 1, row, v[static_cast<size_t>(2 + j)]);
      out.Put(TCoefTable::Compensation, j + 1, row, v[static_cast<size_t>(9 + j)]);
    }
    ++row;
  }
  if (row <= kLastMeasuredRow)
    throw EMemoryToolError("нужно пять строк замеров, а их " + std::to_string(row - 1));
  record = out;
}

std::string WriteMeasurementText(const TCoefRecord& record) {
  std::string out =
      "# Т эталон\tТ прибор\tдавление при 7 эталонных давлениях\tтермокомпенсация при 7\n";
  for (int row = kFirstMeasuredRow; row <= kLastMeasuredRow; ++row) {
    out += FormatFloat(record.Get(TCoefTable::Compensation, 0, row));
    out += "\t" + FormatFloat(record.Get(TCoefTable::Measurement, 0, row));
    for (int j = 1; j <= 7; ++j)
      out += "\t" + FormatFloat(record.Get(TCoefTable::Measurement, j, row));
    for (int j = 1; j <= 7; ++j)
      out += "\t" + FormatFloat(record.Get(TCoefTable::Compensation, j, row));
    out += "\n";
  }
  return out;
}

}  // namespace kest
