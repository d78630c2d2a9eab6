// A memory tool's time log placed on depth by a surface recorder's log.
#include "session/time_to_depth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "log/log_sheet.h"
#include "log/log_track.h"
#include "log/null_sample.h"
#include "session/session_errors.h"
#include "test_support/expect_throw_msg.h"

namespace kest {
namespace {

// Down 0 -> 100 m in 100 s, 20 s still at the bottom, up to 0 in 100 s.
double Winch(double s) {
  if (s < 100) return s;
  if (s < 120) return 100;
  return std::max(0.0, 100 - (s - 120));
}

// A surface log: DEPTH once a second from 10:00:00.
void MakeSurface(TLogSheet& sheet, double seconds) {
  sheet.SetArgument(laTime);
  TLogTrack* d = sheet.NewTrack("DEPTH");
  d->SetStep(1000);
  d->SetOrigin(10 * 3600 * 1000);
  for (int i = 0; i <= seconds; ++i) d->Append(static_cast<float>(Winch(i)));
  sheet.Params().SetValue("StartTime", "09.12.2026");
  sheet.UpdateRange();
}

// The tool's log: 10 samples a second from `start_s` after 10:00 of its own clock,
// which runs `lag_s` behind the recorder's; PRESSURE follows depth, GR a formation.
void MakeTool(TLogSheet& sheet, double start_s, double seconds, double lag_s) {
  sheet.SetArgument(laTime);
  TLogTrack* p = sheet.NewTrack("PRESSURE");
  TLogTrack* g = sheet.NewTrack("GR");
  for (TLogTrack* t : {p, g}) {
    t->SetStep(100);
    t->SetOrigin(static_cast<int32_t>((10 * 3600 + start_s) * 1000));
  }
  for (int i = 0; i < seconds * 10; ++i) {
    double d = Winch(start_s + i / 10.0 + lag_s);
    p->Append(static_cast<float>(0.1 + 0.00981 * d));
    g->Append(static_cast<float>(50 + 30 * std::sin(d / 7)));
  }
  sheet.Params().SetValue("StartTime", "09.12.2026");
  sheet.UpdateRange();
}

TEST(TimeToDepth, RunsAreSeparatedAndValuesLandAtTheirDepth) {
  TLogSheet surface, tool;
  MakeSurface(surface, 240);
  MakeTool(tool, 0, 230, 0);
  struct Case {
    CableRun run;
    bool keep;
  };
  for (Case c :
       {Case{CableRun::Down, false}, Case{CableRun::Up, false}, Case{CableRun::Down, true}}) {
    TLogSheet out;
    TimeToDepthOptions o;
    o.offset_s = 0;
    o.run = c.run;
    o.keep_stationary = c.keep;
    o.step_mm = 500;
    TimeToDepthResult r = BuildDepthLog(tool, surface, out, o);
    SCOPED_TRACE(static_cast<int>(c.run) * 10 + c.keep);
    EXPECT_NEAR(r.TopM, 0, 1.0);
    EXPECT_NEAR(r.BottomM, 100, 0.5);
    EXPECT_GT(r.OtherRun, 0);
    if (c.keep)
      EXPECT_EQ(r.Stationary, 0);
    else
      EXPECT_GT(r.Stationary, 150);  // the 20 s at the bottom, and more at the turns
    ASSERT_EQ(out.Argument(), laDepth);
    TLogTrack* g = out.FindTrack("GR");
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->Step(), 500);
    for (int32_t i = 0; i < g->Count(); ++i) {
      double d = g->ArgumentOf(i) / 1000.0;
      EXPECT_NEAR(g->Sample(i), 50 + 30 * std::sin(d / 7), 0.6) << d;
    }
  }
}

// Gaps of the tool's log (the null value) are never averaged into a depth step: a
// step only gaps fell in stays a gap, every other step keeps the formation's value.
// Times where the recorder's depth has a gap are not placed at all.
TEST(TimeToDepth, GapsStayGapsAndAreNeverAveragedIn) {
  TLogSheet surface, tool;
  MakeSurface(surface, 240);
  MakeTool(tool, 0, 230, 0);
  TLogTrack* gr = tool.FindTrack("GR");
  for (int i = 300; i < 400; ++i) gr->SetSample(i, kDefaultNullValue);  // 30 .. 40 m down
  TLogTrack* depth = surface.FindTrack("DEPTH");
  for (int i = 60; i < 65; ++i) depth->SetSample(i, kDefaultNullValue);  // 60 .. 65 m
  TLogSheet out;
  TimeToDepthOptions o;
  o.offset_s = 0;
  o.step_mm = 500;
  BuildDepthLog(tool, surface, out, o);
  const TLogTrack* g = out.FindTrack("GR");
  ASSERT_NE(g, nullptr);
  int gaps = 0;
  for (int32_t i = 0; i < g->Count(); ++i) {
    double d = g->ArgumentOf(i) / 1000.0;
    if (IsNullSample(g->Sample(i))) {
      ++gaps;
      EXPECT_TRUE(d >= 29.9 && d <= 40.1) << d;
      continue;
    }
    // Times within the speed window of the recorder's gap are not placed; the steps
    // there are drawn across as any step no sample fell in.
    if (d > 54 && d < 71) continue;
    EXPECT_NEAR(g->Sample(i), 50 + 30 * std::sin(d / 7), 0.6) << d;
  }
  EXPECT_GE(gaps, 18);
}

TEST(TimeToDepth, TheClockOffsetIsFoundFromThePressure) {
  TLogSheet surface, tool;
  MakeSurface(surface, 240);
  for (double lag : {-42.0, 0.0, 13.5}) {
    TLogSheet t, out;
    MakeTool(t, 20, 180, lag);
    double corr = 0;
    EXPECT_NEAR(FindClockOffset(t, surface, 600, &corr), lag, 0.15) << lag;
    EXPECT_GT(corr, 0.999);
    TimeToDepthOptions o;
    TimeToDepthResult r = BuildDepthLog(t, surface, out, o);
    EXPECT_TRUE(r.OffsetFound);
    EXPECT_NEAR(r.OffsetS, lag, 0.15);
  }
}

TEST(TimeToDepth, UnusableLogsAreRefusedWithAMessage) {
  TLogSheet surface, tool, out;
  MakeSurface(surface, 240);
  MakeTool(tool, 0, 230, 0);
  TimeToDepthOptions o;
  o.offset_s = 0;
  TLogSheet depth_log;  // not a time log
  depth_log.NewTrack("DEPTH")->Append(1);
  EXPECT_THROW_MSG(BuildDepthLog(tool, depth_log, out, o), ESessionError,
                   "Журнал наземного регистратора должен быть по времени");
  EXPECT_THROW_MSG(BuildDepthLog(depth_log, surface, out, o), ESessionError,
                   "Журнал прибора должен быть по времени");
  TLogSheet no_depth;
  no_depth.SetArgument(laTime);
  no_depth.NewTrack("TENSION")->Append(1);
  EXPECT_THROW_MSG(BuildDepthLog(tool, no_depth, out, o), ESessionError,
                   "В журнале наземного регистратора нет глубины (DEPTH)");
  // Clocks a day apart: no sample meets the surface log.
  o.offset_s = 86400;
  EXPECT_THROW_MSG(BuildDepthLog(tool, surface, out, o), ESessionError, "Нет замеров на спуске");
  o.offset_s.reset();
  TLogSheet far;
  MakeTool(far, 20000, 100, 0);
  EXPECT_THROW_MSG(FindClockOffset(far, surface, 600), ESessionError,
                   "Журналы прибора и регистратора не пересекаются по времени");
  // A tool log whose pressure does not follow this cable (a log of another run, a
  // gauge that failed): no offset is made up from it; the message asks for one.
  TLogSheet other;
  MakeTool(other, 0, 230, 0);
  TLogTrack* p = other.FindTrack("PRESSURE");
  for (int32_t i = 0; i < p->Count(); ++i)
    p->SetSample(i, static_cast<float>(1 + std::sin(i * 12.9898) * 0.5));
  double corr = 1;
  try {
    FindClockOffset(other, surface, 600, &corr);
    ADD_FAILURE() << "an offset was found";
  } catch (const ESessionError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Смещение часов не найдено: ", 0), 0u) << e.what();
  }
  EXPECT_LT(corr, 0.7);
  // A cancelled build says so.
  o.offset_s = 0;
  o.progress = [](int) { return false; };
  EXPECT_THROW_MSG(BuildDepthLog(tool, surface, out, o), ESessionError, "Прервано");
}

}  // namespace
}  // namespace kest
