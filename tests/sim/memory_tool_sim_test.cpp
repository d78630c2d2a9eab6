#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "link/device_functions.h"
#include "link/logger.h"
#include "link/logger_host.h"
#include "link/logger_sensor.h"
#include "link/module_classes.h"
#include "lisp/wlisp.h"
#include "log/log_sheet.h"
#include "log/log_track.h"
#include "memtool/calibration_record.h"
#include "memtool/coefficient_upload.h"
#include "memtool/logger_memory_link.h"
#include "memtool/memory_readout.h"
#include "memtool/memory_tool.h"
#include "memtool/memory_tool_host.h"
#include "memtool/memtool_errors.h"
#include "sim/sim_port.h"
#include "sim/tool_simulator.h"
#include "stepped_clock.h"
#include "stepped_memory_link.h"
#include "support/number_text.h"
#include "temp_dir.h"
#include "test_support/expect_throw_msg.h"
#include "test_support/test_files.h"

namespace kest::sim {
namespace {

std::string Shipped(const char* folder) { return test::DataRoot() + "/Data/" + folder; }

class QuietHost : public MemoryToolHost {
 public:
  bool AskWarning(const std::string&) override { return answer; }
  void ShowStatusText(const std::string& text) override { texts.push_back(text); }
  void ShowActivity(bool) override {}
  bool answer = true;
  std::vector<std::string> texts;
};

// The memory tool string on the in-process simulator, end to end: logger, port,
// packets, reply sensors, the tool's commands and the read-out.
class MemoryToolOnSim : public ::testing::Test {
 protected:
  MemoryToolOnSim() : classes_(Shipped("Classes")) {
    RegisterDeviceFunctions(lisp_);
    classes_.Reload();
    SimSettings s;
    sim_ = std::make_shared<ToolSimulator>(classes_, s, clock_);
    RegisterSimPort(sim_);
    logger_ = std::make_unique<TLogger>(host_, clock_, classes_);
    logger_->AddModule(classes_.Get("Автономный"));
    logger_->SetProtocolMode(1);
    logger_->SetPortName("SIM");
    link_ = std::make_unique<testing::SteppedMemoryLink>(*logger_, host_, clock_);
    tool_ = std::make_unique<TMemoryTool>(*link_, ui_,
                                          [] { return ToolTime{2026, 12, 9, 10, 0, 0, 0}; });
  }
  ~MemoryToolOnSim() override {
    tool_.reset();
    link_.reset();
    logger_.reset();
    UnregisterPortName("SIM");
  }
  MemoryToolSimulator& Tool() { return sim_->MemoryTool(); }
  // Three tasks after 10:00 of the synchronised clock.
  void ProgramThreeTasks() {
    TTaskDefTable& table = tool_->Table();
    table.Resize(3);
    auto set = [&](int k, int h0, int m0, int h1, int m1, std::array<int32_t, 4> periods) {
      TTask& t = table.Tasks(k);
      t.Start = MakeTaskTime(2026, 12, 9, h0, m0);
      t.End = MakeTaskTime(2026, 12, 9, h1, m1);
      t.ComputeDuration();
      for (size_t c = 0; c < 4; ++c) t.Tracks[c].Period = periods[c];
    };
    set(0, 10, 10, 10, 20, {1, 4, 0, 0});
    set(1, 10, 30, 10, 50, {0, -8, 0, 2});
    set(2, 11, 0, 11, 30, {5, 0, 10, 0});
  }

  TWLisp lisp_;
  TModuleClasses classes_;
  testing::SteppedClock clock_{100000};
  HeadlessHost host_;
  std::shared_ptr<ToolSimulator> sim_;
  std::unique_ptr<TLogger> logger_;
  std::unique_ptr<testing::SteppedMemoryLink> link_;
  QuietHost ui_;
  std::unique_ptr<TMemoryTool> tool_;
};

TEST_F(MemoryToolOnSim, StatusAndClockTravelTheWholeLink) {
  EXPECT_TRUE(logger_->Initialized());  // marked while the tool's link is open
  ToolStatus s = tool_->ReadStatus();
  EXPECT_EQ(s.PageCount, 8192);
  EXPECT_TRUE(s.OnBattery);
  EXPECT_EQ(tool_->StatusData().Text(TStatusData::kMemory), "4224");
  ToolTime t = tool_->SynchronizeClock();
  EXPECT_EQ(t.Year, 2026);
  EXPECT_EQ(t.Hour, 10);
  EXPECT_EQ(t.Minute, 0);
  EXPECT_LE(t.Second, 2);
  EXPECT_EQ(tool_->StatusData().Text(TStatusData::kLastSync), "09 Декабрь 26(10:00)");

  Tool().SetSelfTest(true, false, true, true);
  Tool().SetOnBattery(false);
  tool_->ReadStatus();
  EXPECT_EQ(tool_->StatusData().Text(TStatusData::kChip1Test), "Ошибка!");
  EXPECT_EQ(tool_->StatusData().Text(TStatusData::kPower), "Сеть");
}

TEST_F(MemoryToolOnSim, ThreeTasksRunFastForwardedAndReadBackAsTheModelSampled) {
  ProgramThreeTasks();
  ASSERT_TRUE(tool_->Launch());
  ASSERT_TRUE(Tool().Launched());
  Tool().FastForward(2);

  tool_->ReadStatus();
  ASSERT_EQ(tool_->Table().Count(), 3);
  ASSERT_TRUE(tool_->ReadTaskTable());
  for (int k = 0; k < 3; ++k) EXPECT_EQ(tool_->Table().Tasks(k).Status, TTask::kExecuted) << k;

  TLogSheet sheet;
  TMemoryReadout readout(*tool_, logger_->Channels(), sheet);
  const int64_t launch = Tool().LaunchMs();
  for (int k = 0; k < 3; ++k) {
    const TTask task = tool_->Table().Tasks(k);
    readout.ReadTrack(k, {});
    const int64_t start = TaskMinutes(task.Start) * 60000;
    for (int c = 0; c < 4; ++c) {
      static const char* kNames[] = {"PRESSURE", "TEMPERATURE", "DEBIT", "COUPLING-LOCATOR"};
      int32_t period = task.Tracks[static_cast<size_t>(c)].Period;
      TLogTrack* track = sheet.FindTrack(kNames[c]);
      if (period == 0) {
        EXPECT_EQ(track, nullptr) << k << " " << c;
        continue;
      }
      ASSERT_NE(track, nullptr) << k << " " << c;
      EXPECT_EQ(track->Origin(), (task.Start.Hour * 60 + task.Start.Minute) * 60000);
      double interval = SampleIntervalMs(period);
      double step = track->Step();
      // Rows on the fastest channel's step; this channel's samples: duration / period.
      int64_t samples = TaskSampleCount(task.Duration, period);
      EXPECT_EQ(std::llround(track->Count() * step / interval), samples) << k << " " << c;
      for (int32_t row = 0; row < track->Count(); row += 37) {
        int64_t i = std::llround(std::nearbyint(row * step / interval));
        if (i >= samples) continue;
        double hours =
            (static_cast<double>(start - launch) + static_cast<double>(i) * interval) / 3600000.0;
        uint16_t raw = MemoryToolSimulator::RawSample(c, Tool().ReadingAt(hours));
        double divider = tool_->Table().Divider(c);
        EXPECT_NEAR(track->Sample(row), raw / divider, 1e-4 * (1 + raw / divider))
            << k << " " << c << " " << row;
      }
    }
  }
}

TEST_F(MemoryToolOnSim, EachLaunchLeavesExactlyItsTableInTheTool) {
  // One task, then three, then two: the status read on the way (clock sync) sees
  // the tool's previous count, and the table launched is never cut to it or padded.
  for (int n : {1, 3, 2, 1}) {
    ProgramThreeTasks();
    tool_->Table().Resize(n);
    const TTaskDefTable launched = tool_->Table();
    ASSERT_TRUE(tool_->Launch()) << n;
    EXPECT_EQ(tool_->Table().Count(), n);
    ASSERT_EQ(tool_->ReadStatus().TaskCount, n);
    ASSERT_TRUE(tool_->ReadTaskTable());
    ASSERT_EQ(tool_->Table().Count(), n);
    for (int k = 0; k < n; ++k)
      EXPECT_TRUE(SameTask(tool_->Table().Tasks(k), launched.Tasks(k))) << n << " " << k;
  }
  // A task never run is refused by the read-out, whatever its pages hold.
  TLogSheet sheet;
  TMemoryReadout readout(*tool_, logger_->Channels(), sheet);
  EXPECT_THROW_MSG(readout.ReadTrack(0, {}), EMemoryToolError,
                   "Задание 1 не выполнено: читать нечего");
  EXPECT_EQ(sheet.Count(), 0);
}

TEST_F(MemoryToolOnSim, AStalledReplyFailsAndCorruptPagesAreReadAgain) {
  Tool().SetStall(0, 1);
  EXPECT_THROW_MSG(tool_->ReadStatus(), EMemoryToolError, "Нет ответа от прибора");
  EXPECT_EQ(tool_->ReadStatus().PageCount, 8192);  // the next reply comes

  Tool().SetCorruptPages({5}, 2);
  auto values = tool_->ReadPages(4, 3, nullptr);
  ASSERT_EQ(values.size(), 3u * 132);
  auto page5 = Tool().Page(5);
  for (size_t v = 0; v < 132; ++v) EXPECT_EQ(values[132 + v], ReplyValueOf(&page5[4 * v]));
  EXPECT_EQ(std::count(ui_.texts.begin(), ui_.texts.end(), "Повторное чтение страницы 5"), 2);
  EXPECT_EQ(std::count(ui_.texts.begin(), ui_.texts.end(), "Повторное чтение страницы 4"), 0);

  Tool().SetCorruptPages({6}, 100);
  EXPECT_THROW_MSG(tool_->ReadPages(6, 1, nullptr), EMemoryToolError,
                   "Нет ответа от прибора: страница 6 не прочитана");
}

TEST_F(MemoryToolOnSim, UnitTableUploadedMakesTheBurstReadOutRawOverHundredThousand) {
  // What the tool held before: its own calibration, read back through page 0.
  TCoefRecord before = ReadToolCoefficients(*tool_, NewCoefRecord());
  EXPECT_EQ(before.Get(TCoefTable::Full, 0, 1), 1.0);

  TCoefRecord unit = NewCoefRecord();
  SetUnitTable(unit);
  unit.Put(TCoefTable::Divider, 2, 0, 250);
  UploadCoefficients(*tool_, unit);
  EXPECT_EQ(ui_.texts.back(), "Коэффициенты переданы в прибор");
  TCoefRecord back = ReadToolCoefficients(*tool_, NewCoefRecord());
  EXPECT_EQ(back.Get(TCoefTable::Divider, 2, 0), 250);
  EXPECT_EQ(back.Gain(1), 0xB0);
  const TPressureMatrix m = tool_->ReadCalibration();
  for (double t : {-20.0, 0.0, 36.6, 120.0, 250.0})
    for (double x : {0.0, 12.34, 655.35})
      EXPECT_NEAR(Calibrate(m, t, x), 0.001 * x, 1e-7 * x) << t << " " << x;

  // A one-minute burst task, run and read out.
  TTaskDefTable& table = tool_->Table();
  table.Resize(1);
  TTask& task = table.Tasks(0);
  task.Mode = TTask::kBurst;
  task.Start = MakeTaskTime(2026, 12, 9, 10, 10);
  task.End = MakeTaskTime(2026, 12, 9, 10, 11);
  task.ComputeDuration();
  task.Tracks[0].Period = kBurstPeriod;
  ASSERT_TRUE(tool_->Launch());
  Tool().FastForward(1);
  tool_->ReadStatus();
  ASSERT_TRUE(tool_->ReadTaskTable());
  TLogSheet sheet;
  TMemoryReadout readout(*tool_, logger_->Channels(), sheet);
  testing::TempDir dir;
  ReadoutOptions options;
  options.burst_file = dir.File("recivedBurstMode.track");
  ReadoutResult result = readout.ReadTrack(0, options);
  EXPECT_EQ(result.BurstLines, 72000);
  std::ifstream in(options.burst_file);
  std::string line;
  int64_t lines = 0;
  while (std::getline(in, line)) {
    auto tab = line.find("\t\t");
    ASSERT_NE(tab, std::string::npos) << line;
    auto value = ParseFloat(line.substr(0, tab));
    auto raw = ParseFloat(line.substr(tab + 2));
    ASSERT_TRUE(value && raw) << line;
    EXPECT_GT(*raw, 0);
    // "0.00": within half a hundredth of 0.001 raw / 100.
    if (lines++ % 997 == 0) {
      EXPECT_NEAR(*value, 0.001 * *raw / 100, 0.005 + 1e-9) << line;
    }
  }
  EXPECT_EQ(lines, 72000);
}

}  // namespace
}  // namespace kest::sim
