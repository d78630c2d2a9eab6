#include <gtest/gtest.h>

#include "analysis/depth_match.h"
#include "analysis/repeat_control.h"
#include "session/session_fixture.h"
#include "sim/sim_port.h"
#include "sim/tool_simulator.h"

namespace kest {
namespace {

// One run down 1000..1100 m at 3600 m/h under fake time, the simulator set up with a
// depth error; the recorded sheet is copied out.
void RecordRun(double error_m, double stretch, TLogSheet& out) {
  testing::SessionFixture f;
  sim::SimSettings s;
  s.winch.start_depth_m = 999.9;
  s.depth_error_m = error_m;
  s.depth_stretch = stretch;
  auto simulator = std::make_shared<sim::ToolSimulator>(f.classes, s, f.clock);
  sim::RegisterSimPort(simulator);
  f.logger->SetPortName("SIM");
  f.logger->SetDepthStep(0.01, 999.9);
  f.logger->Initialize(true);
  f.session->RecordStep = 100;
  for (int t = 0; t < 100; t += 25) f.Tick();
  f.session->SetRecordMode(RecordingSession::rmDepthDown);
  simulator->SetSpeed(3600);
  for (int t = 0; t < 200000 && f.session->LastDepth() < 1100000; t += 25) f.Tick();
  f.session->Stop();
  f.session->WaitForSaves();
  out.AssignLog(f.session->Sheet());
  out.UpdateRange();
  f.session.reset();
  f.logger.reset();
  UnregisterPortName("SIM");
}

// Two runs over the same formation, the second recorded 1.3 m off depth (and a
// third with an error growing by 2 m per 100 m): what the analyst finds.
TEST(AnalysisOnSim, TheDepthErrorOfARunIsFoundAndTheRepeatIsCompared) {
  TLogSheet first, second, stretched;
  RecordRun(0, 0, first);
  RecordRun(1.3, 0, second);
  ASSERT_GT(first.FindTrack("GK")->Count(), 900);

  DepthMatchOptions o;
  DepthMatchResult r = MatchDepth(first, second, o);
  ASSERT_TRUE(r.Windows[0].Found);
  EXPECT_NEAR(r.Windows[0].Shift, 1300, r.Step) << "correlation " << r.Windows[0].Correlation;
  // The neutron curve of the same runs agrees.
  o.Curve = "NK-NEAR";
  EXPECT_NEAR(MatchDepth(first, second, o).Windows[0].Shift, 1300, r.Step);
  // The run matched against itself does not move.
  o.Curve = "GK";
  EXPECT_NEAR(MatchDepth(first, first, o).Windows[0].Shift, 0, 1);

  // Temperature follows true depth (a gradient of 3 °C per 100 m): the repeat read
  // 1.3 m off depth differs by the gradient times the error, with little scatter.
  auto stats = CompareRepeat(first, second);
  bool temp = false;
  for (const RepeatCurveStats& s : stats)
    if (s.Curve == "TEMP") {
      temp = true;
      EXPECT_GT(s.Pairs, 900);
      EXPECT_NEAR(s.MeanDifference, -0.03 * 1.3, 0.01);
      EXPECT_LT(s.StdDifference, 0.02);
    }
  EXPECT_TRUE(temp);

  // 2 m per 100 m from depth 0: 20 m at 1000 m, 22 m at 1100 m, recorded once more.
  RecordRun(-20, 2, stretched);
  o.MaxShift = 4000;
  o.Window = 25000;
  r = MatchDepth(first, stretched, o);
  ASSERT_GE(r.Windows.size(), 3u);
  // Each window's shift lies within the error over the window (the match follows the
  // strongest beds in it), give or take one step, and grows with depth.
  auto error = [](double mm) { return 0.02 * mm - 20000; };
  for (size_t i = 0; i < r.Windows.size(); ++i) {
    const DepthMatchWindow& w = r.Windows[i];
    ASSERT_TRUE(w.Found) << w.Top;
    EXPECT_GE(w.Shift, error(w.Top) - r.Step) << "window at " << w.Top;
    EXPECT_LE(w.Shift, error(w.Bottom) + r.Step) << "window at " << w.Top;
    if (i > 0) {
      EXPECT_GT(w.Shift, r.Windows[i - 1].Shift);
    }
  }
}

}  // namespace
}  // namespace kest
