// The surface recorder on the in-process simulator, and a whole memory run end to
// end: the memory tool and the surface recorder share the line one at a time, the
// winch follows one depth profile, both are read and the depth log is built.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>

#include "link/device_functions.h"
#include "link/logger.h"
#include "link/logger_channel.h"
#include "link/logger_channels.h"
#include "link/logger_host.h"
#include "link/module_classes.h"
#include "lisp/wlisp.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "memtool/logger_memory_link.h"
#include "memtool/memory_readout.h"
#include "memtool/memory_tool.h"
#include "memtool/memory_tool_host.h"
#include "memtool/surface_recorder.h"
#include "session/time_to_depth.h"
#include "sim/sim_port.h"
#include "sim/tool_simulator.h"
#include "stepped_clock.h"
#include "stepped_memory_link.h"
#include "test_support/test_files.h"

namespace kest::sim {
namespace {

std::string Shipped(const char* folder) { return test::DataRoot() + "/Data/" + folder; }

constexpr int64_t kStartMs = 100000;
// The PC's local time: 09.12.2026 10:00:00 when the fake clock starts.
ToolTime LocalAt(int64_t clock_ms) {
  int64_t s = (clock_ms - kStartMs) / 1000;
  return {2026,
          12,
          9,
          10 + static_cast<int>(s / 3600),
          static_cast<int>(s / 60 % 60),
          static_cast<int>(s % 60),
          0};
}

class QuietHost : public MemoryToolHost {
 public:
  bool AskWarning(const std::string& text) override {
    questions.push_back(text);
    return true;
  }
  void ShowStatusText(const std::string&) override {}
  void ShowActivity(bool) override {}
  std::vector<std::string> questions;
};

class SurfaceOnSim : public ::testing::Test {
 protected:
  void Start(SimSettings s) {
    RegisterDeviceFunctions(lisp_);
    classes_.Reload();
    sim_ = std::make_shared<ToolSimulator>(classes_, s, clock_);
    RegisterSimPort(sim_);
    logger_ = std::make_unique<TLogger>(host_, clock_, classes_);
    logger_->AddModule(classes_.Get("Наземный"));
    logger_->SetProtocolMode(1);
    logger_->SetPortName("SIM");
    // As the window does: keep-alive bytes would land inside the recorder's commands.
    keep_alive_off_ = std::make_unique<KeepAliveSuspension>(*logger_);
    link_ = std::make_unique<testing::SteppedMemoryLink>(*logger_, host_, clock_);
  }
  // Lets fake time pass with the line served: half a second at a time, so the
  // receive thread's late ticks stay few and its packet ring never fills.
  void RunFor(int64_t ms) {
    for (int64_t t = 0; t < ms; t += 500) {
      clock_.Advance(475);
      link_->Pump();
    }
  }

  ~SurfaceOnSim() override {
    link_.reset();
    keep_alive_off_.reset();
    logger_.reset();
    UnregisterPortName("SIM");
  }

  TWLisp lisp_;
  TModuleClasses classes_{Shipped("Classes")};
  testing::SteppedClock clock_{kStartMs};
  HeadlessHost host_;
  QuietHost ui_;
  std::shared_ptr<ToolSimulator> sim_;
  std::unique_ptr<TLogger> logger_;
  std::unique_ptr<KeepAliveSuspension> keep_alive_off_;
  std::unique_ptr<testing::SteppedMemoryLink> link_;
};

TEST_F(SurfaceOnSim, TheRecordingReadsBackAsTheRecorderWroteIt) {
  SimSettings s;
  s.line = MemoryLine::SurfaceRecorder;
  s.surface_recorder.initial_time = LocalAt(kStartMs);
  s.surface_recorder.history_h = 0.5;
  s.surface_recorder.profile = {{0, 0}, {0.2, 250}, {0.3, 250}, {0.5, 40}};
  Start(s);
  TSurfaceRecorder recorder(*link_, ui_);
  recorder.Standby();
  ASSERT_TRUE(recorder.Test());
  EXPECT_EQ(recorder.StatusRows().Text(0), "1056.00");
  EXPECT_EQ(recorder.StatusRows().Text(5), "Работает");
  ASSERT_TRUE(recorder.ReadZeroPage());
  const SurfaceZeroPage zero = sim_->SurfaceRecorder().ZeroPage();
  EXPECT_EQ(recorder.ZeroPage().LastPage, zero.LastPage);
  EXPECT_EQ(recorder.ZeroPage().LastOffset, zero.LastOffset);
  ASSERT_TRUE(recorder.ZeroPage().Start.has_value());
  EXPECT_EQ(recorder.ZeroPage().Start->Hour, 9);
  EXPECT_EQ(recorder.ZeroPage().Start->Minute, 30);

  TLogSheet sheet;
  SurfaceReadout r = recorder.ReadData(sheet);
  EXPECT_TRUE(r.Complete) << r.Message;
  EXPECT_EQ(r.Message, "Данные считались.");
  const int64_t records = SurfaceRecordCount(zero.LastPage, zero.LastOffset, 264);
  EXPECT_EQ(r.Rows, records);
  // Every record as the flash holds it.
  std::vector<uint8_t> flash;
  for (int p = 1; p <= zero.LastPage; ++p) {
    auto page = sim_->SurfaceRecorder().Page(p);
    flash.insert(flash.end(), page.begin(), page.end());
  }
  SurfaceRecordStream expected = DecodeSurfaceRecords(flash, static_cast<size_t>(records));
  TLogTrack* depth = sheet.FindTrack("DEPTH");
  TLogTrack* marks = sheet.FindTrack("MAG-LABEL");
  ASSERT_NE(depth, nullptr);
  ASSERT_EQ(depth->Count(), static_cast<int32_t>(expected.Records.size()));
  int mark_count = 0;
  for (int32_t i = 0; i < depth->Count(); ++i) {
    ASSERT_FLOAT_EQ(depth->Sample(i), expected.Records[static_cast<size_t>(i)].DepthTenths / 10.0f)
        << i;
    mark_count += marks->Sample(i) != 0;
  }
  EXPECT_EQ(depth->Origin(), (9 * 60 + 30) * 60000);
  EXPECT_NEAR(depth->Sample(0), 0, 1);
  // Down to 250 m and up to 40 m: a label every 10 m passed, 25 + 21.
  EXPECT_NEAR(mark_count, 46, 2);
  EXPECT_EQ(sheet.FindTrack("SPEED")->Count(), depth->Count() - 1);
  // 250 m in 12 min; each record's speed is in whole tenths of a metre a second.
  double sum = 0;
  for (int32_t i = 200; i < 400; ++i) sum += sheet.FindTrack("SPEED")->Sample(i);
  EXPECT_NEAR(sum / 200, 1250, 20);
}

// After a stall the receive thread serves its late ticks one after another, in no
// time: they are one tick of the line. Counted one by one they ended a reply being
// read at once, and its rest was read as the next page.
TEST_F(SurfaceOnSim, LateTicksServedInABurstAreOneTickOfTheLine) {
  Start(SimSettings{});
  int ticks = 0;
  link_->OnTick = [&] { ++ticks; };
  auto timer_changes = [&](int n) {
    for (int i = 0; i < n; ++i)
      logger_->Notify(TLoggerNotifyKind::lnSensorChange, logger_->TimerSensor());
  };
  timer_changes(400);
  EXPECT_LE(ticks, 1);
  const int before = ticks;
  clock_.Advance(100);
  timer_changes(4);
  EXPECT_EQ(ticks, before + 1);
}

TEST_F(SurfaceOnSim, SetupCommandsReachTheRecorder) {
  SimSettings s;
  s.line = MemoryLine::SurfaceRecorder;
  s.surface_recorder.page_size = 528;
  s.surface_recorder.recording = false;
  Start(s);
  TSurfaceRecorder recorder(*link_, ui_);
  recorder.Standby();
  recorder.SetClock(LocalAt(clock_.NowMs()));
  auto t = recorder.ReadClock();
  ASSERT_TRUE(t.has_value());
  EXPECT_EQ(t->Hour, 10);
  EXPECT_EQ(t->Day, 9);
  recorder.SetTension(2.5, -3);
  recorder.SetSpeedCoefficient(11);
  recorder.SetDepthCoefficient(25);
  ASSERT_TRUE(recorder.Test());
  EXPECT_EQ(recorder.PageSize(), 528);
  ASSERT_TRUE(recorder.ReadCoefficients());
  EXPECT_DOUBLE_EQ(recorder.ZeroPage().TensionK, 2.5);
  EXPECT_DOUBLE_EQ(recorder.ZeroPage().TensionB, -3);
  EXPECT_DOUBLE_EQ(recorder.ZeroPage().SpeedK, 11);
  EXPECT_EQ(recorder.ZeroPage().DepthCoefficient, 25);
  // Nothing recorded: the read-out says so and leaves the sheet alone.
  ASSERT_TRUE(recorder.ReadZeroPage());
  TLogSheet sheet;
  SurfaceReadout r = recorder.ReadData(sheet);
  EXPECT_EQ(r.Rows, 0);
  EXPECT_EQ(sheet.Count(), 0);
  // The depth given is what the recorder counts from then on.
  EXPECT_EQ(recorder.SetDepth(" 123.4 "), "123.4");
  recorder.MainMode();
  RunFor(65000);
  recorder.Standby();
  ASSERT_TRUE(recorder.ReadZeroPage());
  sheet.Clear();
  r = recorder.ReadData(sheet);
  ASSERT_GT(r.Rows, 0);
  EXPECT_FLOAT_EQ(sheet.FindTrack("DEPTH")->Sample(0), 123.4f);
  // Live depth: on in pass-through only.
  recorder.PassThrough(true);
  EXPECT_TRUE(sim_->SurfaceRecorder().PassThrough());
  recorder.PassThrough(false);
  EXPECT_FALSE(sim_->SurfaceRecorder().PassThrough());
}

// Program the memory tool, run it down and up while the surface recorder logs the
// winch, read both and build the depth logs of both runs.
TEST_F(SurfaceOnSim, AMemoryRunBecomesADepthLogThatMatchesTheFormation) {
  SimSettings s;
  s.memory_tool.profile = {{0, 0}, {0.05, 0}, {0.3, 300}, {0.35, 300}, {0.6, 0}};
  s.surface_recorder.initial_time = {2026, 1, 1, 0, 0, 0, 0};
  s.surface_recorder.clock_error_s = 7;  // the recorder's clock runs 7 s ahead
  Start(s);
  // The memory tool: one task 10:01-10:38, pressure and temperature each second.
  {
    TMemoryTool tool(*link_, ui_, [&] { return LocalAt(clock_.NowMs()); });
    tool.Table().Resize(1);
    TTask& t = tool.Table().Tasks(0);
    t.Start = MakeTaskTime(2026, 12, 9, 10, 1);
    t.End = MakeTaskTime(2026, 12, 9, 10, 38);
    t.ComputeDuration();
    t.Tracks[0].Period = 1;
    t.Tracks[1].Period = 1;
    ASSERT_TRUE(tool.Launch());
  }
  ASSERT_TRUE(sim_->MemoryTool().Launched());
  // The surface recorder on the line: clock, depth 0, logging.
  sim_->SetLine(MemoryLine::SurfaceRecorder);
  TLogSheet surface;
  {
    TSurfaceRecorder recorder(*link_, ui_);
    recorder.Standby();
    recorder.SetClock(LocalAt(clock_.NowMs()));
    recorder.SetDepth("0");
    recorder.MainMode();
    RunFor(40 * 60000);  // the run
    recorder.Standby();
    ASSERT_TRUE(recorder.Test());
    ASSERT_TRUE(recorder.ReadZeroPage());
    SurfaceReadout r = recorder.ReadData(surface);
    ASSERT_TRUE(r.Complete) << r.Message;
    ASSERT_GT(r.Rows, 2000);
  }
  // The memory tool back on the line: its track.
  sim_->SetLine(MemoryLine::MemoryTool);
  TLogSheet memory;
  {
    TMemoryTool tool(*link_, ui_, [&] { return LocalAt(clock_.NowMs()); });
    ASSERT_GE(tool.ReadStatus().TaskCount, 1);
    ASSERT_TRUE(tool.ReadTaskTable());
    // The memory tool's channels (the string on the logger is the surface recorder's).
    TLoggerChannels channels;
    for (const char* name : {"PRESSURE", "TEMPERATURE", "DEBIT", "COUPLING-LOCATOR"}) {
      auto c = std::make_unique<TLoggerChannel>([](TLoggerChannel&) {});
      c->SetName(name);
      channels.Add(std::move(c));
    }
    TMemoryReadout readout(tool, channels, memory);
    readout.ReadTrack(0, {});
  }
  ASSERT_NE(memory.FindTrack("PRESSURE"), nullptr);
  ASSERT_EQ(memory.FindTrack("PRESSURE")->Count(), 37 * 60);

  const FormationModel formation(s.seed);
  for (CableRun run : {CableRun::Down, CableRun::Up}) {
    TLogSheet out;
    TimeToDepthOptions options;
    options.run = run;
    options.step_mm = 100;
    TimeToDepthResult r = BuildDepthLog(memory, surface, out, options);
    SCOPED_TRACE(run == CableRun::Down ? "down" : "up");
    EXPECT_TRUE(r.OffsetFound);
    EXPECT_NEAR(r.OffsetS, 7, 1.0);
    EXPECT_GT(r.Correlation, 0.999);
    // The winch's range: from the surface to 300 m.
    EXPECT_NEAR(r.TopM, 0, 1.0);
    EXPECT_NEAR(r.BottomM, 300, 1.0);
    EXPECT_GT(r.Stationary, 0);
    ASSERT_EQ(out.Argument(), laDepth);
    TLogTrack* p = out.FindTrack("PRESSURE");
    TLogTrack* temp = out.FindTrack("TEMPERATURE");
    ASSERT_NE(p, nullptr);
    ASSERT_NE(temp, nullptr);
    EXPECT_EQ(p->Step(), 100);
    for (int32_t i = 20; i < p->Count() - 20; i += 97) {
      const double d = p->ArgumentOf(i) / 1000.0;
      EXPECT_NEAR(p->Sample(i), 0.101325 + 0.00981 * d, 0.01) << d;
      EXPECT_NEAR(temp->Sample(i), formation.At(d).temperature, 0.05) << d;
    }
  }
}

}  // namespace
}  // namespace kest::sim
