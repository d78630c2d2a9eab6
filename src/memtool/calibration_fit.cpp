#include "memtool/calibration_fit.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "support/assert.h"

namespace kest {

namespace {

constexpr double kLowTemperature = 0;
constexpr double kHighTemperature = 120;

bool AllFinite(std::span<const double> v) {
  return std::all_of(v.begin(), v.end(), [](double x) { return std::isfinite(x); });
}

// Solves min |A c - b| for the `rows` x `cols` matrix `a` (row-major) by Householder
// QR on unit-norm columns. Nothing when a column is zero or the matrix is numerically
// rank deficient.
std::optional<std::vector<double>> SolveLeastSquares(std::vector<double> a, size_t rows,
                                                     size_t cols, std::vector<double> b) {
  if (rows < cols) return std::nullopt;
  auto at = [&](size_t i, size_t j) -> double& { return a[i * cols + j]; };
  std::vector<double> scale(cols), diag(cols);
  for (size_t j = 0; j < cols; ++j) {
    double s = 0;
    for (size_t i = 0; i < rows; ++i) s += at(i, j) * at(i, j);
    if (!(s > 0) || !std::isfinite(s)) return std::nullopt;
    scale[j] = std::sqrt(s);
    for (size_t i = 0; i < rows; ++i) at(i, j) /= scale[j];
  }
  for (size_t k = 0; k < cols; ++k) {
    double norm = 0;
    for (size_t i = k; i < rows; ++i) norm += at(i, k) * at(i, k);
    norm = std::sqrt(norm);
    if (!(norm > 0)) return std::nullopt;
    const double alpha = at(k, k) > 0 ? -norm : norm;
    at(k, k) -= alpha;
    double vv = 0;
    for (size_t i = k; i < rows; ++i) vv += at(i, k) * at(i, k);
    auto reflect = [&](auto&& column) {
      double s = 0;
      for (size_t i = k; i < rows; ++i) s += at(i, k) * column(i);
      const double f = 2 * s / vv;
      for (size_t i = k; i < rows; ++i) column(i) -= f * at(i, k);
    };
    for (size_t j = k + 1; j < cols; ++j) reflect([&](size_t i) -> double& { return at(i, j); });
    reflect([&](size_t i) -> double& { return b[i]; });
    diag[k] = alpha;
  }
  double largest = 0;
  for (double d : diag) largest = std::max(largest, std::fabs(d));
  for (double d : diag)
    if (!(std::fabs(d) > 1e-11 * largest)) return std::nullopt;
  std::vector<double> c(cols);
  for (size_t k = cols; k-- > 0;) {
    double s = b[k];
    for (size_t j = k + 1; j < cols; ++j) s -= at(k, j) * c[j];
    c[k] = s / diag[k];
  }
  for (size_t j = 0; j < cols; ++j) c[j] /= scale[j];
  if (!AllFinite(c)) return std::nullopt;
  return c;
}

// The centre and half-width that map the values onto [-1, 1].
struct Span {
  double centre = 0, half = 1;
};
Span SpanOf(std::span<const double> v) {
  auto [lo, hi] = std::minmax_element(v.begin(), v.end());
  Span s;
  s.centre = (*lo + *hi) / 2;
  s.half = (*hi - *lo) / 2;
  if (!(s.half > 0)) s.half = 1;
  return s;
}

// T[m][k]: the coefficient of v^m in ((v - centre) / half)^k.
std::vector<std::vector<double>> PowerExpansion(const Span& s, int degree) {
  const auto n = static_cast<size_t>(degree + 1);
  std::vector<std::vector<double>> t(n, std::vector<double>(n, 0));
  // Row by row of Pascal's triangle: (v - a)^k / h^k.
  std::vector<double> poly = {1};
  for (size_t k = 0; k < n; ++k) {
    for (size_t m = 0; m <= k; ++m) t[m][k] = poly[m];
    std::vector<double> next(k + 2, 0);
    for (size_t m = 0; m <= k; ++m) {
      next[m + 1] += poly[m] / s.half;
      next[m] -= poly[m] * s.centre / s.half;
    }
    poly = std::move(next);
  }
  return t;
}

[[noreturn]] void PressureFailure() {
  throw ECalibrationError(std::string(kPressureFitText) + kZeroValuesText);
}
[[noreturn]] void TemperatureFailure() {
  throw ECalibrationError(std::string(kTemperatureFitText) + kZeroValuesText);
}

double Polynomial2D(const TCoefRecord& r, TCoefTable table, double u, double v) {
  double sum = 0, ur = 1;
  for (int row = 0; row < TCoefRecord::Rows(table); ++row, ur *= u) {
    double vc = 1;
    for (int c = 0; c < TCoefRecord::Columns(table); ++c, vc *= v)
      sum += r.Get(table, c, row) * ur * vc;
  }
  return sum;
}

}  // namespace

std::optional<TLine> FitLine(std::span<const double> x, std::span<const double> y) {
  KEST_ASSERT(x.size() == y.size());
  if (x.empty() || !AllFinite(x) || !AllFinite(y)) return std::nullopt;
  const auto n = static_cast<double>(x.size());
  const double mx = std::accumulate(x.begin(), x.end(), 0.0) / n;
  const double my = std::accumulate(y.begin(), y.end(), 0.0) / n;
  double sxx = 0, sxy = 0, largest = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    sxx += (x[i] - mx) * (x[i] - mx);
    sxy += (x[i] - mx) * (y[i] - my);
    largest = std::max(largest, std::fabs(x[i]));
  }
  // The x coincide (to rounding): no line.
  if (!(sxx > n * 1e-24 * largest * largest)) return std::nullopt;
  TLine line;
  line.Slope = sxy / sxx;
  line.Offset = my - line.Slope * mx;
  return line;
}

std::optional<std::vector<double>> InterpolatePolynomial(std::span<const double> x,
                                                         std::span<const double> y) {
  KEST_ASSERT(x.size() == y.size());
  const size_t n = x.size();
  if (n == 0 || !AllFinite(x) || !AllFinite(y)) return std::nullopt;
  std::vector<size_t> order(n);
  std::iota(order.begin(), order.end(), size_t{0});
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return x[a] < x[b]; });
  std::vector<double> xs(n), c(n);
  double largest = 0;
  for (size_t i = 0; i < n; ++i) {
    xs[i] = x[order[i]];
    c[i] = y[order[i]];
    largest = std::max(largest, std::fabs(xs[i]));
  }
  for (size_t i = 1; i < n; ++i)
    if (!(xs[i] - xs[i - 1] > 1e-13 * largest)) return std::nullopt;
  // Divided differences: c[i] becomes the Newton coefficient f[x0 .. xi].
  for (size_t k = 0; k + 1 < n; ++k)
    for (size_t i = n - 1; i > k; --i) c[i] = (c[i] - c[i - 1]) / (xs[i] - xs[i - k - 1]);
  // The Newton form expanded into powers of x, innermost factor first.
  for (size_t k = n - 1; k-- > 0;)
    for (size_t i = k; i + 1 < n; ++i) c[i] -= xs[k] * c[i + 1];
  if (!AllFinite(c)) return std::nullopt;
  return c;
}

std::optional<std::vector<std::vector<double>>> FitPolynomial2D(std::span<const double> u,
                                                                std::span<const double> v,
                                                                std::span<const double> z, int du,
                                                                int dv) {
  KEST_ASSERT(u.size() == v.size() && u.size() == z.size() && du >= 0 && dv >= 0);
  if (u.empty() || !AllFinite(u) || !AllFinite(v) || !AllFinite(z)) return std::nullopt;
  const Span su = SpanOf(u), sv = SpanOf(v);
  const auto nu = static_cast<size_t>(du + 1), nv = static_cast<size_t>(dv + 1);
  const size_t rows = u.size(), cols = nu * nv;
  std::vector<double> a(rows * cols);
  for (size_t i = 0; i < rows; ++i) {
    const double un = (u[i] - su.centre) / su.half, vn = (v[i] - sv.centre) / sv.half;
    double ur = 1;
    for (size_t r = 0; r < nu; ++r, ur *= un) {
      double vc = 1;
      for (size_t c = 0; c < nv; ++c, vc *= vn) a[i * cols + r * nv + c] = ur * vc;
    }
  }
  auto d = SolveLeastSquares(std::move(a), rows, cols, std::vector<double>(z.begin(), z.end()));
  if (!d) return std::nullopt;
  // Back to powers of u and v: C = Tu D Tv^T.
  const auto tu = PowerExpansion(su, du), tv = PowerExpansion(sv, dv);
  std::vector<std::vector<double>> out(nu, std::vector<double>(nv, 0));
  for (size_t p = 0; p < nu; ++p)
    for (size_t q = 0; q < nv; ++q) {
      double s = 0;
      for (size_t r = p; r < nu; ++r)
        for (size_t c = q; c < nv; ++c) s += tu[p][r] * (*d)[r * nv + c] * tv[q][c];
      out[p][q] = s;
    }
  for (const auto& row : out)
    if (!AllFinite(row)) return std::nullopt;
  return out;
}

TCoefRecord Recalculate(const TCoefRecord& in) {
  TCoefRecord r = in;
  constexpr int kMeasured = 5;
  // The measured rows' reference temperatures.
  std::vector<double> t(kMeasured);
  for (int k = 1; k <= kMeasured; ++k)
    t[static_cast<size_t>(k - 1)] = r.Get(TCoefTable::Compensation, 0, k);

  // Each reading column extended to 0 °C (row 0) and 120 °C (row 6) along its line.
  for (TCoefTable table : {TCoefTable::Measurement, TCoefTable::Compensation})
    for (int column = 1; column < 8; ++column) {
      std::vector<double> y(kMeasured);
      for (int k = 1; k <= kMeasured; ++k) y[static_cast<size_t>(k - 1)] = r.Get(table, column, k);
      auto line = FitLine(t, y);
      if (!line) PressureFailure();
      r.Put(table, column, 0, (*line)(kLowTemperature));
      r.Put(table, column, 6, (*line)(kHighTemperature));
    }
  r.Put(TCoefTable::Compensation, 0, 0, kLowTemperature);
  r.Put(TCoefTable::Compensation, 0, 6, kHighTemperature);

  constexpr int kNodes = 7;
  std::vector<double> nodes(kNodes), pressures(kNodes);
  std::vector<std::vector<double>> x(kNodes, std::vector<double>(kNodes)), y = x;
  for (int k = 0; k < kNodes; ++k) {
    nodes[static_cast<size_t>(k)] = r.Get(TCoefTable::Compensation, 0, k);
    pressures[static_cast<size_t>(k)] = r.Get(TCoefTable::Reference, k, 0);
    for (int j = 0; j < kNodes; ++j) {
      x[static_cast<size_t>(k)][static_cast<size_t>(j)] =
          r.Get(TCoefTable::Measurement, j + 1, k) / 100;
      y[static_cast<size_t>(k)][static_cast<size_t>(j)] =
          r.Get(TCoefTable::Compensation, j + 1, k) / 100;
    }
  }

  // Full table: at each temperature node the exact polynomial of degree 6 in x through
  // the reference pressures, then each power's coefficient as the exact polynomial of
  // degree 6 in T through the nodes.
  std::vector<std::vector<double>> at_node(kNodes);
  for (size_t k = 0; k < kNodes; ++k) {
    auto a = InterpolatePolynomial(x[k], pressures);
    if (!a) PressureFailure();
    at_node[k] = std::move(*a);
  }
  for (size_t i = 0; i < kNodes; ++i) {
    std::vector<double> coefficient(kNodes);
    for (size_t k = 0; k < kNodes; ++k) coefficient[k] = at_node[k][i];
    auto m = InterpolatePolynomial(nodes, coefficient);
    if (!m) PressureFailure();
    for (size_t j = 0; j < kNodes; ++j)
      r.Put(TCoefTable::Full, static_cast<int>(j), static_cast<int>(i), (*m)[j]);
  }

  // Thermal compensation: the factor g(x, y), linear in x and cubic in y, that takes
  // the compensation reading to its value at the first reference pressure,
  // g y = y(k, 0), by least squares over all 49 points.
  std::vector<double> px, py, target;
  for (size_t k = 0; k < kNodes; ++k)
    for (size_t j = 0; j < kNodes; ++j) {
      if (y[k][j] == 0) PressureFailure();
      px.push_back(x[k][j]);
      py.push_back(y[k][j]);
      target.push_back(y[k][0] / y[k][j]);
    }
  auto thermal = FitPolynomial2D(px, py, target, 1, 3);
  if (!thermal) PressureFailure();
  for (int row = 0; row < 2; ++row)
    for (int c = 0; c < 4; ++c)
      r.Put(TCoefTable::Thermal, c, row,
            (*thermal)[static_cast<size_t>(row)][static_cast<size_t>(c)]);

  // Reduced table: pressure linear in x with offset and slope of degree 6 in the
  // corrected compensation reading s = g(x, y) y, by least squares over the 49 points.
  std::vector<double> ps, pp;
  for (size_t k = 0; k < kNodes; ++k)
    for (size_t j = 0; j < kNodes; ++j) {
      ps.push_back(ThermalFactor(r, x[k][j], y[k][j]) * y[k][j]);
      pp.push_back(pressures[j]);
    }
  auto reduced = FitPolynomial2D(px, ps, pp, 1, 6);
  if (!reduced) PressureFailure();
  for (int row = 0; row < 2; ++row)
    for (int c = 0; c < 7; ++c)
      r.Put(TCoefTable::Reduced, c, row,
            (*reduced)[static_cast<size_t>(row)][static_cast<size_t>(c)]);

  // Temperature: the channel's reading extended to 0 and 120 °C along its line, then
  // the temperature as a line of the reading over all seven rows.
  std::vector<double> reading(kMeasured);
  for (int k = 1; k <= kMeasured; ++k)
    reading[static_cast<size_t>(k - 1)] = r.Get(TCoefTable::Measurement, 0, k);
  auto line = FitLine(t, reading);
  if (!line) TemperatureFailure();
  r.Put(TCoefTable::Measurement, 0, 0, (*line)(kLowTemperature));
  r.Put(TCoefTable::Measurement, 0, 6, (*line)(kHighTemperature));
  std::vector<double> all_readings(kNodes);
  for (int k = 0; k < kNodes; ++k)
    all_readings[static_cast<size_t>(k)] = r.Get(TCoefTable::Measurement, 0, k);
  auto inverse = FitLine(all_readings, nodes);
  if (!inverse) TemperatureFailure();
  auto tiny = [](double v) { return std::fabs(v) <= 1e-100 ? 0.0 : v; };
  r.Put(TCoefTable::Temperature, 0, 0, tiny(inverse->Offset));
  r.Put(TCoefTable::Temperature, 0, 1, tiny(inverse->Slope));
  return r;
}

double FullTablePressure(const TCoefRecord& r, double x, double t) {
  return Polynomial2D(r, TCoefTable::Full, x, t);
}

double ThermalFactor(const TCoefRecord& r, double x, double y) {
  return Polynomial2D(r, TCoefTable::Thermal, x, y);
}

double ReducedTablePressure(const TCoefRecord& r, double x, double y) {
  return Polynomial2D(r, TCoefTable::Reduced, x, ThermalFactor(r, x, y) * y);
}

double ToolTemperature(const TCoefRecord& r, double reading) {
  return r.Get(TCoefTable::Temperature, 0, 0) + r.Get(TCoefTable::Temperature, 0, 1) * reading;
}

}  // namespace kest
