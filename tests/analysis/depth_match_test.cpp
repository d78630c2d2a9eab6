#include "analysis/depth_match.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "analysis/analysis_errors.h"
#include "generated_log.h"

namespace kest {
namespace {

using testing::AddCurve;
using testing::GeneratedFormation;

// A reference over 1000..1400 m and a log of the same formation recorded `error(z)`
// too deep (the log at z reads the formation at z - error(z)), both at 10 cm with
// seeded noise and a few per cent of null samples.
struct Pair {
  TLogSheet reference, log;
};
std::unique_ptr<Pair> MakePair(uint32_t seed, const std::function<double(double)>& error,
                               double noise = 0.4, int32_t ref_step = 100) {
  GeneratedFormation formation(seed);
  auto pair = std::make_unique<Pair>();
  std::mt19937 rng(seed * 7 + 1);
  std::normal_distribution<double> n(0, noise);
  std::bernoulli_distribution null(0.03);
  AddCurve(
      pair->reference, "GK", 1000000, ref_step, 400000 / ref_step + 1,
      [&](double z) { return formation(z) + n(rng); }, [&](int32_t) { return null(rng); });
  AddCurve(
      pair->log, "GK", 995000, 100, 4101,
      [&](double z) { return formation(z - error(z)) + n(rng); },
      [&](int32_t) { return null(rng); });
  AddCurve(pair->log, "NK", 995000, 100, 4101, [](double z) { return z; });
  return pair;
}

TEST(DepthMatch, FindsAKnownShiftToAFractionOfTheStep) {
  // Shifts on and between grid steps, both ways, several formations and noise levels.
  const double shifts[] = {-4.12, -1.3, 0.0, 0.05, 1.3, 2.57, 4.83};
  uint32_t seed = 1;
  for (double shift : shifts)
    for (double noise : {0.1, 1.0}) {
      auto p = MakePair(
          seed++, [&](double) { return shift; }, noise);
      DepthMatchResult r = MatchDepth(p->reference, p->log, {});
      ASSERT_EQ(r.Windows.size(), 1u);
      const DepthMatchWindow& w = r.Windows[0];
      EXPECT_EQ(r.Step, 100);
      EXPECT_TRUE(w.Found) << shift;
      EXPECT_GT(w.Correlation, 0.8) << shift;
      // The parabola puts it well inside the step, not just on the nearest one.
      EXPECT_NEAR(w.Shift, shift * 1000, 30) << "noise " << noise;
      EXPECT_EQ(w.Top, 1000000);
      EXPECT_EQ(w.Bottom, 1400000);
    }
}

TEST(DepthMatch, TheReferenceOnAnotherStepIsReadOnTheLogsGrid) {
  auto p = MakePair(
      11, [](double) { return 2.2; }, 0.3, 20);
  DepthMatchResult r = MatchDepth(p->reference, p->log, {});
  EXPECT_NEAR(r.Windows[0].Shift, 2200, 30);
}

TEST(DepthMatch, PiecewiseShiftsFollowAGrowingError) {
  // 0.5 m at the top growing by 1 m per 100 m: windows of 40 m.
  auto error = [](double z) { return 0.5 + (z - 1000) / 100; };
  auto p = MakePair(21, error, 0.3);
  DepthMatchOptions options;
  options.Window = 40000;
  DepthMatchResult r = MatchDepth(p->reference, p->log, options);
  ASSERT_EQ(r.Windows.size(), 10u);
  for (size_t i = 0; i < r.Windows.size(); ++i) {
    const DepthMatchWindow& w = r.Windows[i];
    EXPECT_EQ(w.Top, 1000000 + static_cast<int32_t>(i) * 40000);
    EXPECT_EQ(w.Bottom, w.Top + 40000);
    EXPECT_TRUE(w.Found) << i;
    // Within a window the error grows by 0.4 m: the match lands near its middle.
    const double middle = error((w.Top + w.Bottom) / 2000.0) * 1000;
    EXPECT_NEAR(w.Shift, middle, 150) << "window " << i;
    if (i > 0) {
      EXPECT_GT(w.Shift, r.Windows[i - 1].Shift);
    }
  }
  // The last window takes what is left over.
  options.Window = 150000;
  r = MatchDepth(p->reference, p->log, options);
  ASSERT_EQ(r.Windows.size(), 2u);
  EXPECT_EQ(r.Windows[1].Top, 1150000);
  EXPECT_EQ(r.Windows[1].Bottom, 1400000);
}

TEST(DepthMatch, UnrelatedCurvesAreNotFoundAndAConstantOneIsRefused) {
  auto p = MakePair(31, [](double) { return 1.0; });
  auto q = MakePair(32, [](double) { return 1.0; });
  DepthMatchResult r = MatchDepth(p->reference, q->log, {});
  EXPECT_FALSE(r.Windows[0].Found);
  EXPECT_LT(r.Windows[0].Correlation, kMinMatchCorrelation);

  TLogSheet flat;
  AddCurve(flat, "GK", 1000000, 100, 2001, [](double) { return 7.0; });
  try {
    MatchDepth(p->reference, flat, {});
    FAIL() << "a constant curve matched";
  } catch (const EAnalysisError& e) {
    EXPECT_STREQ(e.what(), "Кривая \"GK\" постоянна: корреляция не определена");
  }
  // In a window of its own a flat stretch is "not found", the others are matched.
  TLogSheet part;
  GeneratedFormation formation(31);
  AddCurve(part, "GK", 1000000, 100, 4001,
           [&](double z) { return z < 1100 ? 5.0 : formation(z - 1.0); });
  DepthMatchOptions options;
  options.Window = 100000;
  r = MatchDepth(p->reference, part, options);
  ASSERT_EQ(r.Windows.size(), 4u);
  EXPECT_FALSE(r.Windows[0].Found);
  for (int i = 1; i < 4; ++i) EXPECT_NEAR(r.Windows[i].Shift, 1000, 30);
}

TEST(DepthMatch, ProgressCountsEveryWindowToTheEndAndACancelStops) {
  auto p = MakePair(41, [](double) { return 0.7; });
  for (int32_t window : {0, 50000}) {
    DepthMatchOptions o;
    o.Window = window;
    int64_t last = -1, total = 0;
    bool ascending = true;
    MatchDepth(p->reference, p->log, o, [&](int64_t done, int64_t all) {
      ascending = ascending && done >= last && (total == 0 || all == total);
      last = done;
      total = all;
      return true;
    });
    EXPECT_TRUE(ascending);
    EXPECT_EQ(last, total);
    EXPECT_EQ(total, 101 * (window ? 8 : 1));  // lags of ±5 m at 10 cm, per window
    EXPECT_THROW(
        MatchDepth(p->reference, p->log, o, [](int64_t done, int64_t) { return done < 40; }),
        EAnalysisCancelled);
  }
}

}  // namespace
}  // namespace kest
