#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "memtool/calibration_record.h"
#include "memtool/memtool_errors.h"

namespace kest {

// A recalculation that cannot be done; the message is what the user sees.
KEST_DECLARE_ERROR(ECalibrationError, EMemoryToolError);

inline constexpr const char* kPressureFitText = "Ошибка при рассчёте коэффициентов давления.";
inline constexpr const char* kTemperatureFitText = "Ошибка при рассчёте коэффициентов температуры.";
inline constexpr const char* kZeroValuesText =
    " Возможно строка или столбец содержат нулевые значения.";

// y = Offset + Slope x.
struct TLine {
  double Offset = 0;
  double Slope = 0;
  double operator()(double x) const { return Offset + Slope * x; }
};

// The least-squares line through (x[i], y[i]); nothing when the x are all equal
// (or not numbers).
std::optional<TLine> FitLine(std::span<const double> x, std::span<const double> y);

// The coefficients a[0..n-1] of the polynomial of degree n - 1 that passes exactly
// through the n points (x[i], y[i]): sum of a[k] x^k. Solved by Newton's divided
// differences and their expansion into powers (Björck-Pereyra), on the nodes in
// increasing order, which keeps the Vandermonde system's rounding small. Nothing
// when two nodes coincide or the result is not finite.
std::optional<std::vector<double>> InterpolatePolynomial(std::span<const double> x,
                                                         std::span<const double> y);

// The least-squares fit z ~ sum over r <= du, c <= dv of C[r][c] u^r v^c, returned as
// C[r][c]. Solved by Householder QR in centred and scaled variables and expanded into
// powers of u and v afterwards. Nothing when the points do not determine the
// coefficients (fewer points than coefficients, or a rank-deficient basis).
std::optional<std::vector<std::vector<double>>> FitPolynomial2D(std::span<const double> u,
                                                                std::span<const double> v,
                                                                std::span<const double> z, int du,
                                                                int dv);

// "Пересчитать": the coefficient tables from the measurement tables of `record`
// (rows 1-5 measured, reference temperatures in column 0 of the compensation table).
// Returns the new record: rows 0 (0 °C) and 6 (120 °C) of both measurement tables
// extrapolated, the full, reduced, thermal compensation and temperature tables
// computed. Raises ECalibrationError with the pressure or the temperature message
// when a system is singular; `record` itself is never changed.
TCoefRecord Recalculate(const TCoefRecord& record);

// What the tool computes from the record (x = pressure reading / 100,
// y = compensation reading / 100, t in °C, reading = temperature channel's raw value).
double FullTablePressure(const TCoefRecord& record, double x, double t);
double ThermalFactor(const TCoefRecord& record, double x, double y);
// The reduced table at the corrected compensation reading ThermalFactor(x, y) * y.
double ReducedTablePressure(const TCoefRecord& record, double x, double y);
double ToolTemperature(const TCoefRecord& record, double reading);

}  // namespace kest
