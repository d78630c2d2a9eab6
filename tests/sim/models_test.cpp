#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "sim/formation_model.h"
#include "sim/winch_model.h"

namespace kest::sim {
namespace {

TEST(FormationModel, ReadingsDependOnDepthAloneAndVarySmoothly) {
  FormationModel a(7), b(7);
  std::set<int> lithologies;
  double worst_jump = 0;
  for (double d = 900; d < 1100; d += 0.01) {
    FormationReading x = a.At(d), y = b.At(d);
    ASSERT_EQ(x.gamma, y.gamma);
    ASSERT_EQ(x.resistivity_deep, y.resistivity_deep);
    lithologies.insert(static_cast<int>(a.LithologyAt(d)));
    worst_jump = std::max(worst_jump, std::fabs(a.At(d + 0.01).gamma - x.gamma) / x.gamma);
  }
  EXPECT_GE(lithologies.size(), 3u);
  EXPECT_LT(worst_jump, 0.5);  // boundaries are blended, not steps
  EXPECT_NEAR(a.At(1000).temperature, 12 + 30, 1e-9);
  EXPECT_NE(FormationModel(8).At(1000).gamma, a.At(1000).gamma);
}

TEST(FormationModel, LithologiesReadAsTheyShould) {
  FormationModel m(3);
  double shale_gamma = 0, sand_gamma = 0;
  int shale = 0, sand = 0;
  for (double d = 0; d < 2000; d += 0.5) {
    auto lith = m.LithologyAt(d);
    if (d - m.BedTop(d) < 0.3) continue;
    if (lith == FormationModel::Lithology::Shale) shale_gamma += m.At(d).gamma, ++shale;
    if (lith == FormationModel::Lithology::WaterSand) sand_gamma += m.At(d).gamma, ++sand;
  }
  ASSERT_GT(shale, 0);
  ASSERT_GT(sand, 0);
  EXPECT_GT(shale_gamma / shale, 2 * sand_gamma / sand);
}

TEST(WinchModel, CountsDriftFromTheTruthAndLabelsMarkEveryTenMetres) {
  WinchModel::Settings s;
  s.start_depth_m = 995;
  s.speed_m_per_h = 3600;  // 1 m/s down
  s.wheel_error = 0.01;
  WinchModel w(s);
  for (int i = 0; i < 250; ++i) w.Advance(0.1);  // 25 m
  EXPECT_NEAR(w.TrueDepth(), 1020, 1e-6);
  EXPECT_NEAR(w.CountedDepth(), 1020 * 1.01, 1e-6);
  EXPECT_EQ(w.Counts(0.01), std::llround(25 * 1.01 / 0.01));
  EXPECT_EQ(w.LabelCrossings(), 3);                                             // 1000, 1010, 1020
  EXPECT_LT(w.Tension(), s.tool_weight_kgf + s.cable_weight_kgf_per_m * 1020);  // going down
  w.SetSpeed(-3600);
  for (int i = 0; i < 100; ++i) w.Advance(0.1);
  EXPECT_EQ(w.LabelCrossings(), 4);
  EXPECT_GT(w.Tension(), s.tool_weight_kgf + s.cable_weight_kgf_per_m * 1010);
  w.SetSpeed(-1e9);
  w.Advance(10);
  EXPECT_EQ(w.TrueDepth(), 0);  // stops at the surface
}

}  // namespace
}  // namespace kest::sim
