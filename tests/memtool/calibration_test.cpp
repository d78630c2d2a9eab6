// The calibration maths, the coefficient record and file, the grids' texts and the
// upload bytes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "fake_memory_link.h"
#include "memtool/calibration_fit.h"
#include "memtool/calibration_grids.h"
#include "memtool/calibration_record.h"
#include "memtool/coefficient_file.h"
#include "memtool/coefficient_upload.h"
#include "memtool/memory_tool.h"
#include "memtool/tool_codec.h"
#include "support/errors.h"
#include "temp_dir.h"
#include "test_support/expect_throw_msg.h"
#include "test_support/test_files.h"

namespace kest {
namespace {

constexpr double kTemperatures[5] = {20, 40, 60, 80, 100};

// A pressure sensor with a temperature-dependent zero and span, a mild non-linearity
// and a ripple no polynomial follows; a compensation channel that tracks temperature
// and feels pressure a little; a temperature channel near 500 codes per degree.
double PressureRaw(double p, double t) {
  return 2000 + 4 * t + 750 * p * (1 + 0.0015 * (t - 20)) + 0.05 * p * p +
         0.3 * std::sin(7 * p + t);
}
double CompensationRaw(double p, double t) { return 20000 + 90 * t + 0.2 * t * t + 6 * p; }
double TemperatureRaw(double t) { return 30 + 500 * t + 0.01 * t * t; }

TCoefRecord Measured(TPressureUnits units = TPressureUnits::MPa) {
  TCoefRecord r = NewCoefRecord();
  SetReferencePressures(r, units);
  auto p = ReferencePressures(units);
  for (int k = 1; k <= 5; ++k) {
    double t = kTemperatures[k - 1];
    r.Put(TCoefTable::Compensation, 0, k, t);
    r.Put(TCoefTable::Measurement, 0, k, TemperatureRaw(t));
    for (int j = 0; j < 7; ++j) {
      r.Put(TCoefTable::Measurement, j + 1, k, PressureRaw(p[static_cast<size_t>(j)], t));
      r.Put(TCoefTable::Compensation, j + 1, k, CompensationRaw(p[static_cast<size_t>(j)], t));
    }
  }
  return r;
}

// P(x, T) = sum F[i][j] T^j x^i, F[i][j] the record's double 7 j + i, in long double.
long double IndependentPressure(const TCoefRecord& r, long double x, long double t) {
  long double sum = 0;
  for (int i = 0; i < 7; ++i)
    for (int j = 0; j < 7; ++j)
      sum += r.At(static_cast<size_t>(7 * j + i)) * powl(t, j) * powl(x, i);
  return sum;
}

TEST(CalibrationFit, FullTableReproducesTheReferencePressuresAtEveryMeasuredNode) {
  for (TPressureUnits units : {TPressureUnits::MPa, TPressureUnits::Kgf}) {
    TCoefRecord r = Recalculate(Measured(units));
    auto p = ReferencePressures(units);
    double worst = 0;
    for (int k = 1; k <= 5; ++k)
      for (int j = 0; j < 7; ++j) {
        double x = PressureRaw(p[static_cast<size_t>(j)], kTemperatures[k - 1]) / 100;
        double got = static_cast<double>(IndependentPressure(r, x, kTemperatures[k - 1]));
        double want = p[static_cast<size_t>(j)];
        // Relative to the pressure, and to 1 MPa at zero pressure.
        double error = std::fabs(got - want) / std::max(std::fabs(want), 1.0);
        worst = std::max(worst, error);
        EXPECT_LT(error, 1e-6) << "T=" << kTemperatures[k - 1] << " P=" << want;
      }
    char figure[32];
    std::snprintf(figure, sizeof figure, "%.3g", worst);
    RecordProperty(units == TPressureUnits::MPa ? "worst_mpa" : "worst_kgf", figure);
  }
}

TEST(CalibrationFit, ReadingsAreExtendedToZeroAndHundredTwentyDegreesAlongTheirLines) {
  TCoefRecord in = Measured();
  TCoefRecord r = Recalculate(in);
  EXPECT_EQ(r.Get(TCoefTable::Compensation, 0, 0), 0);
  EXPECT_EQ(r.Get(TCoefTable::Compensation, 0, 6), 120);
  // The compensation reading at 0 MPa is 20000 + 90 T + 0.2 T^2: its line over
  // 20..100 °C is 19440 + 114 T (least squares of the parabola).
  EXPECT_NEAR(r.Get(TCoefTable::Compensation, 1, 0), 19440, 1e-6);
  EXPECT_NEAR(r.Get(TCoefTable::Compensation, 1, 6), 19440 + 114 * 120, 1e-6);
  // The measured rows stay as typed.
  for (int k = 1; k <= 5; ++k)
    for (int c = 0; c < 8; ++c)
      EXPECT_EQ(r.Get(TCoefTable::Measurement, c, k), in.Get(TCoefTable::Measurement, c, k));
  // The temperature channel: T = offset + slope * reading, near 1/500 per code.
  EXPECT_NEAR(r.Get(TCoefTable::Temperature, 0, 1), 1.0 / 500, 1e-5);
  for (double t : kTemperatures) EXPECT_NEAR(ToolTemperature(r, TemperatureRaw(t)), t, 0.2) << t;
}

TEST(CalibrationFit, ReducedAndThermalTablesGivePressureFromTheCompensationChannel) {
  TCoefRecord r = Recalculate(Measured());
  auto p = ReferencePressures(TPressureUnits::MPa);
  for (int k = 1; k <= 5; ++k)
    for (int j = 0; j < 7; ++j) {
      double t = kTemperatures[k - 1], pj = p[static_cast<size_t>(j)];
      double x = PressureRaw(pj, t) / 100, y = CompensationRaw(pj, t) / 100;
      // The factor takes the compensation reading back to its zero-pressure value.
      EXPECT_NEAR(ThermalFactor(r, x, y) * y, CompensationRaw(0, t) / 100, 1e-2) << t << " " << pj;
      // A line in x: the sensor's own 0.05 P^2 is what it cannot follow.
      EXPECT_NEAR(ReducedTablePressure(r, x, y), pj, 0.05) << t << " " << pj;
    }
}

TEST(CalibrationFit, TwoDimensionalLeastSquaresIsExactOnItsOwnPolynomialsAndOrthogonalOtherwise) {
  struct Case {
    int du, dv;
  };
  for (Case c : {Case{1, 6}, Case{1, 3}, Case{2, 2}}) {
    // Scattered points far from the origin, where plain powers are ill-conditioned.
    std::vector<double> u, v, exact, noisy;
    auto truth = [&](double a, double b) {
      double s = 0;
      for (int r = 0; r <= c.du; ++r)
        for (int q = 0; q <= c.dv; ++q) s += (1.0 + r - 0.5 * q) * std::pow(a, r) * std::pow(b, q);
      return s;
    };
    for (int i = 0; i < 60; ++i) {
      double a = 20 + 3 * std::sin(i * 1.7), b = 200 + 0.5 * i + std::cos(i * 0.9);
      u.push_back(a);
      v.push_back(b);
      exact.push_back(truth(a, b));
      noisy.push_back(exact.back() * (1 + 0.01 * std::sin(i * 2.3)));
    }
    auto fit = FitPolynomial2D(u, v, exact, c.du, c.dv);
    ASSERT_TRUE(fit) << c.du << "," << c.dv;
    for (size_t i = 0; i < u.size(); ++i) {
      long double s = 0;
      for (int r = 0; r <= c.du; ++r)
        for (int q = 0; q <= c.dv; ++q) s += (*fit)[r][q] * powl(u[i], r) * powl(v[i], q);
      EXPECT_NEAR(static_cast<double>(s) / exact[i], 1, 1e-7) << c.du << "," << c.dv << " " << i;
    }
    // With noise: the residual is orthogonal to every basis function (normal equations),
    // measured in centred units so the test does not inherit the fit's scaling (the
    // bound leaves room for the rounding of coefficients expanded into plain powers).
    auto noisy_fit = FitPolynomial2D(u, v, noisy, c.du, c.dv);
    ASSERT_TRUE(noisy_fit);
    for (int r = 0; r <= c.du; ++r)
      for (int q = 0; q <= c.dv; ++q) {
        long double dot = 0, norm = 0, rnorm = 0;
        for (size_t i = 0; i < u.size(); ++i) {
          long double s = 0;
          for (int rr = 0; rr <= c.du; ++rr)
            for (int qq = 0; qq <= c.dv; ++qq)
              s += (*noisy_fit)[rr][qq] * powl(u[i], rr) * powl(v[i], qq);
          long double basis = powl((u[i] - 20) / 3, r) * powl((v[i] - 215) / 15, q);
          dot += (noisy[i] - s) * basis;
          norm += basis * basis;
          rnorm += (noisy[i] - s) * (noisy[i] - s);
        }
        EXPECT_LT(std::fabs(static_cast<double>(dot / sqrtl(norm * rnorm))), 1e-5) << r << "," << q;
      }
  }
  // Too few points, or points that do not fix the coefficients.
  std::vector<double> three = {1, 2, 3};
  EXPECT_FALSE(FitPolynomial2D(three, three, three, 1, 3));
  std::vector<double> u(20, 5.0), v(20), z(20);
  for (int i = 0; i < 20; ++i) v[static_cast<size_t>(i)] = i, z[static_cast<size_t>(i)] = i * i;
  EXPECT_FALSE(FitPolynomial2D(u, v, z, 1, 3));  // u never varies
}

TEST(CalibrationFit, InterpolationAndLinesRefuseCoincidentNodes) {
  std::vector<double> x = {0, 20, 40, 60, 80, 100, 120}, y(7);
  for (size_t i = 0; i < 7; ++i) y[i] = 1 - 2 * x[i] + 1e-9 * std::pow(x[i], 6);
  auto a = InterpolatePolynomial(x, y);
  ASSERT_TRUE(a);
  EXPECT_NEAR((*a)[0], 1, 1e-9);
  EXPECT_NEAR((*a)[1], -2, 1e-9);
  EXPECT_NEAR((*a)[6], 1e-9, 1e-18);
  x[3] = x[2];
  EXPECT_FALSE(InterpolatePolynomial(x, y));
  EXPECT_FALSE(FitLine(std::vector<double>{5, 5, 5}, std::vector<double>{1, 2, 3}));
  auto line = FitLine(std::vector<double>{0, 1, 2}, std::vector<double>{1, 3, 5});
  ASSERT_TRUE(line);
  EXPECT_DOUBLE_EQ(line->Slope, 2);
  EXPECT_DOUBLE_EQ(line->Offset, 1);
}

TEST(CalibrationFit, SingularTablesReportTheirMessageAndLeaveTheRecord) {
  const std::string pressure =
      "Ошибка при рассчёте коэффициентов давления. Возможно строка или столбец содержат "
      "нулевые значения.";
  const std::string temperature =
      "Ошибка при рассчёте коэффициентов температуры. Возможно строка или столбец содержат "
      "нулевые значения.";
  struct Case {
    const char* what;
    std::function<void(TCoefRecord&)> spoil;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"two equal reference temperatures",
       [](TCoefRecord& r) { r.Put(TCoefTable::Compensation, 0, 3, 40); }, pressure},
      {"all reference temperatures equal",
       [](TCoefRecord& r) {
         for (int k = 1; k <= 5; ++k) r.Put(TCoefTable::Compensation, 0, k, 25);
       },
       pressure},
      {"a zero row of pressure readings",
       [](TCoefRecord& r) {
         for (int c = 1; c < 8; ++c) r.Put(TCoefTable::Measurement, c, 2, 0);
       },
       pressure},
      {"an empty table",
       [](TCoefRecord& r) {
         for (int k = 1; k <= 5; ++k)
           for (int c = 0; c < 8; ++c) {
             r.Put(TCoefTable::Measurement, c, k, 0);
             r.Put(TCoefTable::Compensation, c, k, 0);
           }
       },
       pressure},
      {"a zero compensation column",
       [](TCoefRecord& r) {
         for (int k = 1; k <= 5; ++k) r.Put(TCoefTable::Compensation, 4, k, 0);
       },
       pressure},
      {"a temperature reading that never changes",
       [](TCoefRecord& r) {
         for (int k = 1; k <= 5; ++k) r.Put(TCoefTable::Measurement, 0, k, 1234);
       },
       temperature},
  };
  for (const Case& c : cases) {
    TCoefRecord r = Measured();
    c.spoil(r);
    const TCoefRecord before = r;
    EXPECT_THROW_MSG(Recalculate(r), ECalibrationError, c.message) << c.what;
    EXPECT_EQ(r, before) << c.what;
  }
}

// ---------------------------------------------------------------------------------

TEST(CoefRecord, PlacesDefaultsAndTheUnitTable) {
  EXPECT_EQ(TCoefRecord::Place(TCoefTable::Full, 6, 6), 48u);
  EXPECT_EQ(TCoefRecord::Place(TCoefTable::Reference, 6, 0), 55u);
  EXPECT_EQ(TCoefRecord::Place(TCoefTable::Reduced, 6, 1), 69u);
  EXPECT_EQ(TCoefRecord::Place(TCoefTable::Temperature, 0, 6), 76u);
  EXPECT_EQ(TCoefRecord::Place(TCoefTable::Thermal, 3, 0), 80u);
  EXPECT_EQ(TCoefRecord::Place(TCoefTable::Thermal, 0, 1), 84u);
  EXPECT_EQ(TCoefRecord::Place(TCoefTable::Measurement, 7, 6), 189u);
  EXPECT_EQ(TCoefRecord::Place(TCoefTable::Compensation, 7, 6), 245u);
  EXPECT_EQ(TCoefRecord::Place(TCoefTable::Divider, 4, 0), 250u);

  TCoefRecord r = NewCoefRecord();
  EXPECT_EQ(r.Bytes()[1064], 0x90);
  EXPECT_EQ(r.Bytes()[1065], 0xB0);
  EXPECT_EQ(r.Bytes()[1068], 0x10);
  EXPECT_EQ(r.At(246), 1000);
  EXPECT_EQ(r.At(248), 500);
  EXPECT_EQ(r.At(250), 1);
  EXPECT_EQ(r.At(54), 50);
  // Little-endian doubles: 1000 = 0x408F400000000000.
  const uint8_t thousand[8] = {0, 0, 0, 0, 0, 0x40, 0x8F, 0x40};
  EXPECT_EQ(std::memcmp(r.Bytes().data() + 8 * 246, thousand, 8), 0);
  SetReferencePressures(r, TPressureUnits::Kgf);
  EXPECT_EQ(r.At(50), 9.80665);
  EXPECT_EQ(ReferenceUnits(r), TPressureUnits::Kgf);

  r.Put(TCoefTable::Full, 3, 3, 7);
  r.SetGain(0, 0);
  SetUnitTable(r);
  for (int x = 0; x < 7; ++x)
    for (double t : {-40.0, 0.0, 57.5, 200.0})
      EXPECT_DOUBLE_EQ(FullTablePressure(r, 100.0 * x, t), 0.1 * x);
  EXPECT_EQ(r.At(1), 0.001);
  EXPECT_EQ(r.At(63), 0.001);  // reduced, column 0 row 1
  EXPECT_EQ(r.At(71), 0.002);
  EXPECT_EQ(r.At(77), 1.0);
  EXPECT_EQ(r.At(84), 0.0);
  EXPECT_EQ(r.Gain(0), 0x90);
  EXPECT_DOUBLE_EQ(ReducedTablePressure(r, 250, 7), 0.25);
}

TEST(CoefFile, RoundTripAndDamagedFilesAreRefused) {
  TCoefRecord r = Recalculate(Measured());
  TCoefFile file{r, DayCount({2026, 12, 9, 12, 0, 0, 0})};
  EXPECT_EQ(file.SavedDays, 46365.5);
  EXPECT_EQ(DayCountText(file.SavedDays), "09.12.2026 12:00:00");
  auto bytes = EncodeCoefFile(file);
  ASSERT_EQ(bytes.size(), 2032u);
  const uint8_t header[16] = {9, 'Q', 'M', 'R', 'C', 'o', 'e', 'f', 'f', 's', 0, 0, 1, 0, 0, 0};
  EXPECT_EQ(std::memcmp(bytes.data(), header, 16), 0);
  TCoefFile back = DecodeCoefFile(bytes);
  EXPECT_EQ(back.Record, r);
  EXPECT_EQ(back.SavedDays, file.SavedDays);

  struct Damage {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> spoil;
  };
  const std::vector<Damage> damages = {
      {"truncated header", [](auto& b) { b.resize(20); }},
      {"truncated record", [](auto& b) { b.resize(2031); }},
      {"a byte too many", [](auto& b) { b.push_back(0); }},
      {"empty", [](auto& b) { b.clear(); }},
      {"another text", [](auto& b) { b[9] = 'S'; }},
      {"another text length", [](auto& b) { b[0] = 8; }},
      {"version 2", [](auto& b) { b[12] = 2; }},
      {"version -1", [](auto& b) { b[12] = b[13] = b[14] = b[15] = 0xFF; }},
      {"version 0", [](auto& b) { b[12] = 0; }},
      {"no text", [](auto& b) { std::fill(b.begin(), b.begin() + 10, 0); }},
      {"the fuzz corpus's cut file",
       [](auto& b) {
         const std::string cut =
             test::Slurp(test::SourceDir() + "/fuzz/corpus/coeffs/truncated.cfs");
         b.assign(cut.begin(), cut.end());
       }},
  };
  testing::TempDir dir;
  const std::string path = (dir.Path() / "a.cfs").string();
  for (const Damage& d : damages) {
    auto spoilt = bytes;
    d.spoil(spoilt);
    EXPECT_THROW_MSG(DecodeCoefFile(spoilt), ECoefFileError, "Неверный формат файла") << d.what;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(spoilt.data()), static_cast<long>(spoilt.size()));
    EXPECT_THROW_MSG(LoadCoefFile(path), ECoefFileError, "Неверный формат файла") << d.what;
  }

  SaveCoefFile(path, file);
  EXPECT_EQ(LoadCoefFile(path).Record, r);
  EXPECT_EQ(std::filesystem::file_size(path), 2032u);
  EXPECT_THROW_MSG_HAS(LoadCoefFile((dir.Path() / "none.cfs").string()), EInOutError,
                       "Не удалось открыть файл \"" + (dir.Path() / "none.cfs").string() + "\": ");
  EXPECT_EQ(DayCountText(std::nan("")), "Не известно");
  EXPECT_EQ(DayCountText(-5), "Не известно");
  EXPECT_EQ(DayCountText(2), "01.01.1900 00:00:00");
}

// ---------------------------------------------------------------------------------

TEST(CalibrationGrids, CellTextsAndTypedValues) {
  EXPECT_EQ(CoefficientText(0.001), "1.00000E-03");
  EXPECT_EQ(CoefficientText(-123456.7), "-1.23457E+05");
  EXPECT_EQ(CoefficientText(0), "0.00000E+00");
  EXPECT_EQ(ParseCoefficient(" 1,5e-3 "), 1.5e-3);
  EXPECT_FALSE(ParseCoefficient("1.5x"));
  EXPECT_FALSE(ParseCoefficient(""));

  struct Gain {
    const char* text;
    uint8_t value;
  };
  for (Gain g : {Gain{"$90", 0x90}, Gain{"$b0", 0xB0}, Gain{"144", 144}, Gain{"$FF", 255},
                 Gain{"256", 0}, Gain{"$1FF", 0}, Gain{"x", 0}, Gain{"$", 0}, Gain{"-1", 0}})
    EXPECT_EQ(ParseGain(g.text), g.value) << g.text;
  EXPECT_EQ(GainText(0x0A), "$0A");

  EXPECT_EQ(DividerText(1000), "1000");
  EXPECT_EQ(DividerText(2.5), "2.5");
  EXPECT_EQ(ParseDivider("500"), 500);
  EXPECT_EQ(ParseDivider("abc"), 1);
  EXPECT_EQ(ParseDivider("0"), 1);
  EXPECT_EQ(PressureTitle(9.80665), "9.80665 МПа");
  EXPECT_EQ(PressureTitle(60), "60 МПа");
}

TEST(CalibrationGrids, NonNumericCellsAreListedInOneMessageAndKeepTheirValues) {
  TCoefRecord r = Measured();
  TCoefRecord before = r;
  TMeasurementTaker taker(r);
  taker.Take(TMeasurementGrid::Measurement, 0, 1, "21.5");
  taker.Take(TMeasurementGrid::Measurement, 3, 2, "1o000");
  taker.Take(TMeasurementGrid::Compensation, 0, 4, "");
  taker.Take(TMeasurementGrid::Compensation, 5, 5, "20100");
  EXPECT_FALSE(taker.Ok());
  EXPECT_EQ(taker.Message(),
            "Ячейка(и) (2,10 МПа); (4,Т эталон);  содержит(ат) нечисловые данные.");
  EXPECT_EQ(r.Get(TCoefTable::Compensation, 0, 1), 21.5);  // column 0 is shared
  EXPECT_EQ(MeasurementText(r, TMeasurementGrid::Compensation, 0, 1), "21.5");
  EXPECT_EQ(r.Get(TCoefTable::Measurement, 2, 2), before.Get(TCoefTable::Measurement, 2, 2));
  EXPECT_EQ(r.Get(TCoefTable::Compensation, 5, 5), 20100);
  EXPECT_EQ(MeasurementColumnTitle(TMeasurementGrid::Measurement, 1, r), "Т прибор");
  EXPECT_EQ(MeasurementColumnTitle(TMeasurementGrid::Compensation, 7, r), "60 МПа");
}

TEST(CalibrationGrids, MeasurementTextRoundTripAndRefusals) {
  TCoefRecord r = Measured();
  TCoefRecord back = NewCoefRecord();
  ReadMeasurementText(WriteMeasurementText(r), back);
  for (int k = 1; k <= 5; ++k)
    for (int c = 0; c < 8; ++c) {
      EXPECT_EQ(back.Get(TCoefTable::Measurement, c, k), r.Get(TCoefTable::Measurement, c, k));
      EXPECT_EQ(back.Get(TCoefTable::Compensation, c, k), r.Get(TCoefTable::Compensation, c, k));
    }
  const std::string line = "20\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\t13\t14\t15\n";
  struct Bad {
    std::string text;
    const char* says;
  };
  for (const Bad& b : {Bad{line + line + line + line, "пять строк"},
                       Bad{line + line + line + line + line + line, "строка 6"},
                       Bad{"# x\n\n20\t1\n" + line, "строка 3: нужно 16 чисел"},
                       Bad{line + "20\t1\tx" + line.substr(4), "строка 2: поле 3 не число"}}) {
    TCoefRecord target = NewCoefRecord();
    const TCoefRecord before = target;
    try {
      ReadMeasurementText(b.text, target);
      ADD_FAILURE() << b.says;
    } catch (const EMemoryToolError& e) {
      EXPECT_NE(std::string(e.what()).find(b.says), std::string::npos) << e.what();
    }
    EXPECT_EQ(target, before);
  }
}

// ---------------------------------------------------------------------------------

TEST(CoefUpload, TheTwoWritesOfTheUnitTable) {
  TCoefRecord r = NewCoefRecord();
  SetUnitTable(r);
  r.Put(TCoefTable::Full, 6, 6, 1e-36);  // below the tool float's use: sent as 0
  auto first = CoefficientWriteCommand(r);
  ASSERT_EQ(first.size(), 7u + 312u);
  EXPECT_EQ(std::vector<uint8_t>(first.begin(), first.begin() + 7),
            (std::vector<uint8_t>{0x07, 0x00, 0x00, 0x00, 0x00, 0x01, 0x38}));
  auto f = [&](size_t k) {
    return std::array<uint8_t, 4>{first[7 + 4 * k], first[8 + 4 * k], first[9 + 4 * k],
                                  first[10 + 4 * k]};
  };
  const std::array<uint8_t, 4> zero{};
  for (size_t k = 0; k < 78; ++k) {
    double want = k == 7 ? 0.001 : k == 50 ? 0.002 : k == 56 ? 1.0 : k == 71 ? 0.001 : 0.0;
    EXPECT_EQ(f(k), EncodeToolFloat(want)) << k;
  }
  EXPECT_EQ(f(48), zero);
  EXPECT_EQ(f(56), (std::array<uint8_t, 4>{0x7F, 0, 0, 0}));

  auto second = DividerWriteCommand(r);
  EXPECT_EQ(second, (std::vector<uint8_t>{0x07, 0x00, 0x00, 0x01, 0xFC, 0x00, 0x14, 0x88, 0x7A,
                                          0x00, 0x00, 0x87, 0x7A, 0x00, 0x00, 0x87, 0x7A, 0x00,
                                          0x00, 0x00, 0x00, 0x00, 0x90, 0xB0, 0x90, 0x30, 0x10}));
}

TEST(CoefUpload, ThePageWrittenReadsBackAsTheRecordWithinToolFloatPrecision) {
  TCoefRecord r = Recalculate(Measured());
  r.SetGain(2, 0x42);
  r.Put(TCoefTable::Divider, 1, 0, 250);
  std::vector<uint8_t> page(528, 0xFF);
  auto first = CoefficientWriteCommand(r), second = DividerWriteCommand(r);
  std::copy(first.begin() + 7, first.end(), page.begin());
  std::copy(second.begin() + 7, second.end(), page.begin() + 508);
  std::vector<uint32_t> values;
  for (size_t v = 0; v < 132; ++v) values.push_back(ReplyValueOf(&page[4 * v]));
  TCoefRecord base = NewCoefRecord();
  TCoefRecord back = RecordFromCalibrationBlock(values, base);
  for (TCoefTable t :
       {TCoefTable::Full, TCoefTable::Reduced, TCoefTable::Temperature, TCoefTable::Thermal})
    for (int c = 0; c < TCoefRecord::Columns(t); ++c)
      for (int row = 0; row < TCoefRecord::Rows(t); ++row) {
        double want = r.Get(t, c, row);
        EXPECT_NEAR(back.Get(t, c, row), want, std::fabs(want) * 1.2e-7) << c << " " << row;
      }
  EXPECT_EQ(back.Get(TCoefTable::Divider, 1, 0), 250);
  EXPECT_EQ(back.Gain(2), 0x42);
  EXPECT_EQ(back.Gain(0), 0x90);
  // What the tool does not hold comes from the base.
  EXPECT_EQ(back.Get(TCoefTable::Measurement, 3, 3), base.Get(TCoefTable::Measurement, 3, 3));
}

TEST(CoefUpload, WritesAreAwaitedAndASilentToolFails) {
  testing::FakeMemoryLink link;
  testing::FakeMemoryHost host;
  TMemoryTool tool(link, host, [] { return ToolTime{}; });
  TCoefRecord r = NewCoefRecord();
  SetUnitTable(r);
  UploadCoefficients(tool, r);
  auto first = CoefficientWriteCommand(r), second = DividerWriteCommand(r);
  std::vector<uint8_t> want = first;
  want.insert(want.end(), second.begin(), second.end());
  EXPECT_EQ(link.sent, want);
  EXPECT_TRUE(std::all_of(link.pauses.begin(), link.pauses.end(), [](int p) { return p == 2; }));
  EXPECT_EQ(host.texts.front(), "Передача коэффициентов");

  link.silent = true;
  try {
    UploadCoefficients(tool, r);
    FAIL();
  } catch (const EMemoryToolError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Неверный формат файла", 0), 0u) << e.what();
  }
}

}  // namespace
}  // namespace kest
