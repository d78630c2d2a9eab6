#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <set>
#include <thread>

#include "link/device_functions.h"
#include "link/logger.h"
#include "link/logger_host.h"
#include "link/logger_sensor.h"
#include "link/module_classes.h"
#include "link/module_defs.h"
#include "lisp/wlisp.h"
#include "sim/pty_server.h"
#include "sim/sim_port.h"
#include "sim/tool_simulator.h"
#include "stepped_clock.h"
#include "test_support/test_files.h"

namespace kest::sim {
namespace {

std::string Shipped(const char* folder) { return test::DataRoot() + "/Data/" + folder; }

// A logger on the in-process simulator, loaded with the tool string by class (so
// the channels use the classes' own formulas) and powered up.
class LoggerOnSim : public ::testing::Test {
 protected:
  LoggerOnSim() : classes_(Shipped("Classes")) {
    RegisterDeviceFunctions(lisp_);
    classes_.Reload();
    SimSettings s;
    s.winch.start_depth_m = 1000;
    s.winch.wheel_error = 0;
    sim_ = std::make_shared<ToolSimulator>(classes_, s, clock_);
    RegisterSimPort(sim_);
    logger_ = std::make_unique<TLogger>(host_, clock_, classes_);
    for (const SimModule& m : s.string) logger_->AddModule(classes_.Get(m.class_name));
    logger_->SetPortName("SIM");
    logger_->SetDepthStep(0.01, 1000);
    logger_->Initialize(true);
  }
  ~LoggerOnSim() override {
    logger_.reset();
    UnregisterPortName("SIM");
  }
  // Lets fake time pass in 25 ms steps while the main thread serves the dispatch;
  // each step is done when the logger's tick for it has reached the main thread, so
  // a busy machine only makes the run longer.
  void Run(int ms) {
    for (int t = 0; t < ms; t += 25) {
      const int32_t tick = logger_->TimerSensor()->Value;
      clock_.Advance(25);
      const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(2);
      do {
        host_.WaitAndProcess(10);
      } while (logger_->TimerSensor()->Value == tick && std::chrono::steady_clock::now() < give_up);
    }
    while (host_.WaitAndProcess(5)) {
    }
  }
  double Channel(const char* name) { return logger_->Channels().Get(name)->Value; }

  TWLisp lisp_;
  TModuleClasses classes_;
  testing::SteppedClock clock_{100000};
  HeadlessHost host_;
  std::shared_ptr<ToolSimulator> sim_;
  std::unique_ptr<TLogger> logger_;
};

TEST_F(LoggerOnSim, DepthFollowsTheWinchAndToolChannelsTheFormation) {
  ASSERT_TRUE(logger_->Initialized());
  EXPECT_TRUE(sim_->Powered());
  sim_->SetSpeed(1800);  // 0.5 m/s down
  Run(4000);
  EXPECT_NEAR(Channel("DEPTH"), sim_->TrueDepth(), 0.05);
  EXPECT_NEAR(Channel("DEPTH"), 1002.0, 0.1);
  // Gamma reads 0.1 per count, and the simulator sends ten counts per µR/h.
  double model = sim_->Formation().At(sim_->SensorDepth("GK-COUNTER")).gamma;
  EXPECT_NEAR(Channel("GK"), model, 0.15 * model + 0.2);
  EXPECT_NEAR(Channel("TEMP"), sim_->Formation().At(sim_->SensorDepth("TEMP-SENSOR")).temperature,
              0.05);
  EXPECT_GT(Channel("TENSION"), 0);
}

// A tool standing still reads what a real one does: counts that scatter around the
// formation's rate, not one value over and over.
TEST_F(LoggerOnSim, CountingChannelsScatterAroundTheRateWhileTheToolStandsStill) {
  Run(500);
  const double model = sim_->Formation().At(sim_->SensorDepth("GK-COUNTER")).gamma;
  std::set<double> seen;
  double sum = 0;
  const int n = 60;
  for (int i = 0; i < n; ++i) {
    Run(100);
    seen.insert(Channel("GK"));
    sum += Channel("GK");
  }
  EXPECT_GE(seen.size(), 8u);
  EXPECT_NEAR(sum / n, model, 0.1 * model + 0.2);
  EXPECT_NEAR(Channel("TEMP"), sim_->Formation().At(sim_->SensorDepth("TEMP-SENSOR")).temperature,
              0.05);
}

TEST_F(LoggerOnSim, PowerOffStopsTheToolDataAndSilentModulesDie) {
  Run(1000);
  for (int i = 0; i < logger_->ModuleCount(); ++i)
    EXPECT_TRUE(logger_->Modules(i)->Alive) << logger_->Modules(i)->Name;
  sim_->SetSilent("ТМ", true);
  Run(2500);
  TLoggerModule* tm = nullptr;
  for (int i = 0; i < logger_->ModuleCount(); ++i)
    if (logger_->Modules(i)->Name == "ТМ") tm = logger_->Modules(i);
  ASSERT_NE(tm, nullptr);
  EXPECT_FALSE(tm->Alive);
  sim_->SetSilent("ТМ", false);
  Run(500);
  EXPECT_TRUE(tm->Alive);

  logger_->Initialize(false);
  EXPECT_FALSE(sim_->Powered());
  Run(300);
  int32_t gamma = logger_->Sensors().Get("GK-COUNTER")->Value;
  sim_->SetSpeed(3600);
  Run(2000);
  EXPECT_EQ(logger_->Sensors().Get("GK-COUNTER")->Value, gamma);  // no data while off
  EXPECT_NEAR(Channel("DEPTH"), sim_->TrueDepth(), 0.05);         // the panel still counts
}

TEST_F(LoggerOnSim, MagneticLabelsArriveEveryTenMetres) {
  // 2 m/s: 200 counts a second, well within what the line carries.
  sim_->SetSpeed(7200);
  int32_t before = logger_->Sensors().Get("MAG-LABEL-SENSOR")->Value;
  Run(12000);  // 1000 m -> 1024 m: labels at 1010 and 1020
  EXPECT_EQ(logger_->Sensors().Get("MAG-LABEL-SENSOR")->Value - before, 2);
}

// The real serial path: the simulator on a pseudo-terminal, the logger opening it by
// name, both on the real clock for a moment.
TEST(LoggerOnPty, ToolStringWorksThroughAPseudoTerminal) {
  TWLisp lisp;
  RegisterDeviceFunctions(lisp);
  TModuleClasses classes(Shipped("Classes"));
  classes.Reload();
  SimSettings s;
  s.winch.start_depth_m = 500;
  s.winch.speed_m_per_h = 3600;
  auto sim = std::make_shared<ToolSimulator>(classes, s, SystemClock());
  PtyServer server(sim);
  std::jthread serve([&](std::stop_token stop) { server.Run(stop); });
  HeadlessHost host;
  TLogger logger(host, SystemClock(), classes);
  for (const SimModule& m : s.string) logger.AddModule(classes.Get(m.class_name));
  logger.SetPortName(server.SlavePath());
  logger.SetDepthStep(0.01, 500);
  logger.Initialize(true);
  EXPECT_TRUE(sim->Powered());
  int64_t end = SystemClock().NowMs() + 1500;
  while (SystemClock().NowMs() < end) host.WaitAndProcess(20);
  EXPECT_GT(logger.Channels().Get("DEPTH")->Value, 500.5);
  EXPECT_GT(logger.Sensors().Get("GK-COUNTER")->Value, 0);
  logger.SetActive(false);
  EXPECT_FALSE(sim->Powered());
}

}  // namespace
}  // namespace kest::sim
