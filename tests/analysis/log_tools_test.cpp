#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "analysis/analysis_errors.h"
#include "analysis/log_resample.h"
#include "analysis/log_splice.h"
#include "analysis/repeat_control.h"
#include "generated_log.h"
#include "log/log_parameters.h"
#include "session/log_document.h"
#include "temp_dir.h"

namespace kest {
namespace {

using testing::AddCurve;
using testing::GeneratedFormation;

bool Null(float v) { return IsNullSample(v); }

// Three runs of one well: A 1000..1100 m at 10 cm with CALI, B 1050..1200 m at 5 cm
// without it and with a few null samples, C 1150..1300 m at 10 cm. Each run's values
// tell which run they come from (thousands) and the depth.
struct Runs {
  TLogSheet a, b, c;
  Runs() {
    auto value = [](int run) { return [run](double z) { return run * 1000 + (z - 1000) * 3.7; }; };
    auto depth = [](double z) { return z; };
    AddCurve(a, "DEPTH", 1000000, 100, 1001, depth);
    AddCurve(b, "DEPTH", 1050000, 50, 3001, depth);
    AddCurve(c, "DEPTH", 1150000, 100, 1501, depth);
    AddCurve(a, "GK", 1000000, 100, 1001, value(1));
    AddCurve(a, "CALI", 1000000, 100, 1001, value(11));
    AddCurve(b, "GK", 1050000, 50, 3001, value(2), [](int32_t i) { return i % 97 == 5; });
    AddCurve(c, "GK", 1150000, 100, 1501, value(3));
    AddCurve(c, "CALI", 1150000, 100, 1501, value(13));
    a.Comments().Add("Скважина 7");
  }
};

TEST(Splice, EverySampleComesFromTheRunOfItsIntervalAndTheCompositeIsALog) {
  Runs runs;
  TLogSheet out;
  // The first splice off the grid: the row at 1080.30 is the first from B.
  SpliceLogs({&runs.a, &runs.b, &runs.c}, {1080250, 1175000}, out);
  ASSERT_EQ(out.Count(), 3);
  EXPECT_EQ(out.Start(), 1000000);
  EXPECT_EQ(out.End(), 1300000);
  const TLogTrack& gk = *out.FindTrack("GK");
  const TLogTrack& cali = *out.FindTrack("CALI");
  ASSERT_EQ(gk.Count(), 3001);
  ASSERT_EQ(gk.Step(), 100);
  for (int32_t i = 0; i < gk.Count(); ++i) {
    const int32_t x = gk.ArgumentOf(i);
    const double z = x / 1000.0;
    const int run = x < 1080250 ? 1 : x < 1175000 ? 2 : 3;
    const float want = static_cast<float>(run * 1000 + (z - 1000) * 3.7);
    const bool null_in_b = run == 2 && (x - 1050000) % 50 == 0 && ((x - 1050000) / 50) % 97 == 5;
    if (null_in_b)
      EXPECT_TRUE(Null(gk.Sample(i))) << z;
    else
      ASSERT_EQ(gk.Sample(i), want) << z;
    // B has no CALI: nulls over its part.
    if (run == 2)
      ASSERT_TRUE(Null(cali.Sample(i))) << z;
    else
      ASSERT_EQ(cali.Sample(i), static_cast<float>((run + 10) * 1000 + (z - 1000) * 3.7)) << z;
  }
  ASSERT_EQ(out.Comments().Count(), 3);
  EXPECT_EQ(out.Comments()[0], "Скважина 7");
  EXPECT_EQ(out.Comments()[1], "Сшивка: 1080.25 м");
  EXPECT_EQ(out.Comments()[2], "Сшивка: 1175.00 м");

  // Saved and opened again as LS and as LAS, the composite holds every sample.
  testing::TempDir dir;
  TLogParameterTables tables;
  tables.Parameters().Add("DEPTH", "Глубина", 0, "0.00", "DEPT", "m", "Глуб");
  tables.Parameters().Add("GK", "Гамма-каротаж", 0, "0.00", "GR", "мкР/ч", "ГК");
  tables.Parameters().Add("CALI", "Каверномер", 0, "0.00", "CALI", "мм", "Кав");
  LogFileOptions options;
  options.Las.Dictionary = &tables.Parameters();
  options.Las.StepCm = 10;  // the composite's own step: one LAS row per sample
  for (const char* name : {"composite.ls", "composite.las"}) {
    LogDocument doc;
    doc.Sheet().AssignLog(out);
    doc.SaveAs(dir.File(name), options);
    LogDocument back;
    back.Open(dir.File(name), options);
    const TLogTrack* t = back.Sheet().FindTrack("GK");
    ASSERT_NE(t, nullptr) << name;
    ASSERT_EQ(t->Count(), gk.Count()) << name;
    EXPECT_EQ(t->Origin(), gk.Origin());
    for (int32_t i = 0; i < t->Count(); ++i) {
      if (Null(gk.Sample(i))) {
        ASSERT_TRUE(Null(t->Sample(i))) << name << " row " << i;
      } else {
        ASSERT_NEAR(t->Sample(i), gk.Sample(i), 0.005) << name << " row " << i;
      }
    }
  }
}

TEST(Splice, BadSplicesAreRefusedAndTheOutputLeftAsItWas) {
  Runs runs;
  TLogSheet time_log, out;
  time_log.SetArgument(laTime);
  AddCurve(time_log, "GK", 0, 1000, 100, [](double) { return 1.0; });
  time_log.SetArgument(laTime);
  AddCurve(out, "OLD", 0, 100, 10, [](double) { return 1.0; });
  const struct {
    std::vector<const TLogSheet*> logs;
    std::vector<int32_t> at;
    const char* message;
  } cases[] = {
      {{&runs.a, &runs.b}, {1120000}, "Глубина сшивки 1120.00 вне лога 1 (1000.00–1100.00)"},
      {{&runs.a, &runs.b}, {1020000}, "Глубина сшивки 1020.00 вне лога 2 (1050.00–1200.00)"},
      {{&runs.a, &runs.b, &runs.c},
       {1175000, 1080000},
       "Глубины сшивки должны возрастать: 1175.00, 1080.00"},
      {{&runs.a, &runs.b}, {1060000, 1070000}, "Глубин сшивки 2, а логов 2: нужно на одну меньше"},
      {{&runs.a}, {}, "Для сшивки нужны хотя бы два лога"},
      {{&runs.a, &time_log}, {1050000}, "Логи разных аргументов: DEPTH и TIME"},
  };
  for (const auto& c : cases) {
    try {
      SpliceLogs(c.logs, c.at, out);
      ADD_FAILURE() << "spliced: " << c.message;
    } catch (const EAnalysisError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
    EXPECT_EQ(out.Count(), 1);
    EXPECT_NE(out.FindTrack("OLD"), nullptr);
  }
}

TEST(RepeatControl, AKnownBiasAndNoiseComeBackAsMeanAndDeviation) {
  GeneratedFormation formation(5);
  std::mt19937 rng(9);
  std::normal_distribution<double> noise(0, 0.3);
  TLogSheet main, repeat;
  // The main pass with nulls every 50th sample; the repeat over part of it, at 5 cm.
  AddCurve(
      main, "GK", 1000000, 100, 2001, [&](double z) { return formation(z); },
      [](int32_t i) { return i % 50 == 7; });
  AddCurve(main, "DEPTH", 1000000, 100, 2001, [](double z) { return z; });
  AddCurve(repeat, "GK", 1050000, 50, 4001,
           [&](double z) { return formation(z) + 0.7 + noise(rng); });
  AddCurve(repeat, "DEPTH", 1050000, 50, 4001, [](double z) { return z; });
  auto stats = CompareRepeat(main, repeat);
  ASSERT_EQ(stats.size(), 1u);  // the depth itself is not a curve to compare
  const RepeatCurveStats& s = stats[0];
  EXPECT_EQ(s.Curve, "GK");
  EXPECT_EQ(s.Top, 1050000);
  EXPECT_EQ(s.Bottom, 1200000);
  int64_t pairs = 0;
  for (int i = 500; i <= 2000; ++i) pairs += i % 50 != 7;
  EXPECT_EQ(s.Pairs, pairs);
  EXPECT_NEAR(s.MeanDifference, 0.7, 3 * 0.3 / std::sqrt(pairs));
  EXPECT_NEAR(s.StdDifference, 0.3, 0.3 * 0.06);
  EXPECT_GT(s.Correlation, 0.99);

  const std::string json = RepeatStatsJson(stats);
  EXPECT_NE(json.find("\"curve\":\"GK\",\"top\":1050.00,\"bottom\":1200.00"), std::string::npos);
  const std::string html = RepeatReportHtml(stats, "001.ls", "002 <повтор>.ls");
  EXPECT_NE(html.find("Контроль повторного замера"), std::string::npos);
  EXPECT_NE(html.find("002 &lt;повтор&gt;.ls"), std::string::npos);

  TLogSheet apart;
  AddCurve(apart, "GK", 2000000, 100, 100, [](double z) { return z; });
  try {
    CompareRepeat(main, apart);
    FAIL();
  } catch (const EAnalysisError& e) {
    EXPECT_STREQ(e.what(),
                 "Нет общего интервала: основной замер 1000.00–1200.00, повторный 2000.00–2009.90");
  }
}

// A track at 1 cm with nulls, logged down or up, and what each method gives at x,
// computed here from the samples directly.
TEST(Resample, NearestLinearAndPeakAgainstTheirDefinitionsNullsIncluded) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> u(-50, 50);
  for (bool ascending : {true, false}) {
    TLogSheet in;
    TLogTrack* t = AddCurve(
        in, "GK", 1000003, 10, 5000, [&](double) { return u(rng); },
        [](int32_t i) { return i % 13 == 4 || (i > 700 && i < 760); });
    t->SetAscending(ascending);
    auto sample = [&](int64_t i) -> std::optional<double> {
      if (i < 0 || i >= t->Count() || Null(t->Sample(static_cast<int32_t>(i)))) return {};
      return t->Sample(static_cast<int32_t>(i));
    };
    for (int32_t step : {30, 100, 7}) {
      for (ResampleMethod m :
           {ResampleMethod::Nearest, ResampleMethod::Linear, ResampleMethod::Peak}) {
        TLogSheet out;
        ResampleLog(in, out, step, m);
        ASSERT_TRUE(out.HasRange());
        const TLogTrack& r = *out.FindTrack("GK");
        ASSERT_EQ(r.Step(), step);
        ASSERT_EQ(r.Origin() % step, 0);
        ASSERT_GE(r.Origin(), t->Origin());
        ASSERT_LT(r.Origin() - step, t->Origin());
        ASSERT_LE(r.End(), t->End());
        ASSERT_GT(r.End() + step, t->End());
        for (int32_t k = 0; k < r.Count(); ++k) {
          const int64_t x = r.ArgumentOf(k);
          const double pos = (x - 1000003) / 10.0;
          std::optional<double> want;
          if (m == ResampleMethod::Nearest) {
            want = sample(static_cast<int64_t>(std::ceil(pos - 0.5)));
          } else if (m == ResampleMethod::Linear) {
            const auto lo = sample(static_cast<int64_t>(std::floor(pos)));
            const double f = pos - std::floor(pos);
            if (f == 0)
              want = lo;
            else if (auto hi = sample(static_cast<int64_t>(std::floor(pos)) + 1); lo && hi)
              want = *lo + (*hi - *lo) * f;
          } else {
            // The samples logged over the step that ends at x: (x - step, x] going
            // down, [x, x + step) going up; at least the one whose step holds x.
            for (int64_t i = 0; i < t->Count(); ++i) {
              const int64_t n = std::max<int64_t>(1, (2 * step + 10) / 20);
              const int64_t at = ascending ? static_cast<int64_t>(std::ceil(pos))
                                           : static_cast<int64_t>(std::floor(pos));
              const bool in_window = ascending ? i <= at && i > at - n : i >= at && i < at + n;
              if (!in_window || !sample(i)) continue;
              want = want ? std::max(*want, *sample(i)) : *sample(i);
            }
          }
          if (!want) {
            ASSERT_TRUE(Null(r.Sample(k))) << "x " << x << " method " << static_cast<int>(m);
          } else {
            ASSERT_NEAR(r.Sample(k), *want, 1e-4)
                << "x " << x << " method " << static_cast<int>(m) << " step " << step;
          }
        }
      }
    }
  }
}

TEST(Filters, MovingMeanAndMedianAgainstTheirDefinitionsNullsSkipped) {
  std::mt19937 rng(4);
  std::uniform_real_distribution<double> u(0, 100);
  TLogSheet sheet;
  TLogTrack* t = AddCurve(
      sheet, "GK", 1000000, 100, 3000, [&](double) { return u(rng); },
      [](int32_t i) { return i % 11 == 3 || (i > 400 && i < 420); });
  // The length over the step of 10 cm, halved and rounded half to even: the samples
  // each side of the one filtered.
  const std::pair<int32_t, int> lengths[] = {{100, 0}, {250, 1}, {500, 2}, {1000, 5}};
  for (auto [length, h] : lengths) {
    for (FilterKind kind : {FilterKind::Mean, FilterKind::Median}) {
      const std::string name = AddFilteredTrack(sheet, "gk", length, kind);
      EXPECT_EQ(name, kind == FilterKind::Mean ? "GK_MEAN" : "GK_MEDIAN");
      const TLogTrack& f = *sheet.FindTrack(name);
      ASSERT_EQ(f.Count(), t->Count());
      ASSERT_EQ(f.Origin(), t->Origin());
      for (int i = 0; i < t->Count(); ++i) {
        if (Null(t->Sample(i))) {
          ASSERT_TRUE(Null(f.Sample(i))) << i;
          continue;
        }
        std::vector<double> w;
        for (int j = std::max(0, i - h); j <= std::min(t->Count() - 1, i + h); ++j)
          if (!Null(t->Sample(j))) w.push_back(t->Sample(j));
        double want = 0;
        if (kind == FilterKind::Mean) {
          for (double v : w) want += v / static_cast<double>(w.size());
        } else {
          std::sort(w.begin(), w.end());
          want = w.size() % 2 ? w[w.size() / 2] : (w[w.size() / 2 - 1] + w[w.size() / 2]) / 2;
        }
        ASSERT_NEAR(f.Sample(i), want, 1e-3) << "length " << length << " row " << i;
      }
    }
  }
  EXPECT_EQ(sheet.TrackCountOf("GK_MEAN"), 1);  // filtered again: replaced, not added
}

}  // namespace
}  // namespace kest
