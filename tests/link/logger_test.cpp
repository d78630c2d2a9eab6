#include "link/logger.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <utility>

#include "fake_clock.h"
#include "fake_host.h"
#include "link/link_errors.h"
#include "link/logger_data_source.h"
#include "link/logger_host.h"
#include "link/module_classes.h"
#include "lisp/wlisp.h"
#include "scripted_port.h"
#include "stepped_clock.h"
#include "support/assert.h"
#include "support/diagnostic_log.h"
#include "support/stream.h"
#include "temp_dir.h"
#include "test_support/expect_throw_msg.h"
#include "test_support/test_files.h"

namespace kest {
namespace {

std::string ShippedClasses() { return test::DataRoot() + "/Data/Classes"; }

// What data sources heard, as a string of kinds ("0", "1", ...).
class Recorder {
 public:
  explicit Recorder(TLogger& logger) {
    source_.SetLogger(&logger);
    source_.OnLayoutChange = [this](TLoggerDataSource&) { kinds += '0'; };
    source_.OnModuleChange = [this](TLoggerDataSource&, TLoggerModule* m) {
      kinds += '3';
      modules.push_back(m);
    };
    source_.OnStateChange = [this](TLoggerDataSource&) { kinds += '4'; };
    kinds.clear();
  }
  std::string kinds;
  std::vector<TLoggerModule*> modules;

 private:
  TLoggerDataSource source_;
};

class LoggerTest : public ::testing::Test {
 protected:
  LoggerTest() : classes_(ShippedClasses()) {
    classes_.Reload();
    script_.Register("SCRIPT-LOGGER");
  }
  ~LoggerTest() override { UnregisterPortName("SCRIPT-LOGGER"); }
  // Opens the scripted port without starting the threads (commands only).
  void OpenPort(TLogger& logger) {
    logger.PortDriver().SetPortName("SCRIPT-LOGGER");
    logger.PortDriver().Open();
  }
  void Deliver(TLogger& logger, const TPacket& p) {
    logger.PacketDriver().Packets().Put(p);
    logger.SensorDriver().Dispatch();
  }

  TWLisp lisp_;
  TModuleClasses classes_;
  testing::ScriptedPort script_;
  testing::FakeClock clock_{10000};
  testing::FakeHost host_;
};

TEST_F(LoggerTest, CreationLoadsTheSystemModule) {
  TLogger logger(host_, clock_, classes_);
  ASSERT_EQ(logger.ModuleCount(), 1);
  EXPECT_EQ(logger.Modules(0)->Name, "SYSTEM");
  EXPECT_EQ(logger.TimerSensor()->Name(), "TIMER");
  EXPECT_EQ(logger.DepthChannel()->Name(), "DEPTH");
  EXPECT_TRUE(logger.CommandDriver().Ready());
  EXPECT_FALSE(logger.Active());
  EXPECT_EQ(logger.ProtocolMode(), 0);
}

TEST_F(LoggerTest, BracketDeliversEachPendingKindOnceInOrderWithoutPayload) {
  TLogger logger(host_, clock_, classes_);
  Recorder heard(logger);
  logger.BeginUpdate();
  logger.BeginUpdate();
  for (int i = 0; i < 50; ++i)
    logger.Notify(TLoggerNotifyKind::lnSensorChange, logger.DepthSensor());
  logger.Notify(TLoggerNotifyKind::lnModuleChange, logger.Modules(0));
  logger.Notify(TLoggerNotifyKind::lnLayoutChange);
  logger.EndUpdate();
  EXPECT_EQ(heard.kinds, "");  // still inside the outer bracket
  logger.EndUpdate();
  EXPECT_EQ(heard.kinds, "03");
  EXPECT_EQ(heard.modules, std::vector<TLoggerModule*>{nullptr});
  EXPECT_THROW_MSG(logger.EndUpdate(), EAssertionFailed, "Extra EndUpdate");
}

TEST_F(LoggerTest, DepthStepBytesAndFormula) {
  testing::TempDir dir;
  Diag().Open(dir.File("kest.log"), "kest");
  {
    TLogger logger(host_, clock_, classes_);
    OpenPort(logger);
    logger.DepthSensor()->Value = 77;
    logger.SetDepthStep(-0.01, 100);
    EXPECT_EQ(script_.Written(),
              (std::vector<uint8_t>{0xA0, 0xA2, 0x10, 0x00, 0xA3, 0x00, 0x10, 0x00}));
    EXPECT_EQ(logger.DepthSensor()->Value, 0);
    EXPECT_DOUBLE_EQ(logger.DepthChannel()->Value, 100.0);
    logger.DepthSensor()->Value = 250;
    logger.DepthChannel()->Evaluate();
    EXPECT_NEAR(logger.DepthChannel()->Value, 102.5, 1e-4);
    EXPECT_DOUBLE_EQ(logger.DepthStep(), -0.01);
    EXPECT_THROW(logger.SetDepthStep(10, 0), EAssertionFailed);
    EXPECT_THROW(logger.SetDepthStep(0.01, -1), EAssertionFailed);
  }
  Diag().Close();
  auto bytes = ReadWholeFile(dir.File("kest.log"));
  std::string log(bytes.begin(), bytes.end());
  EXPECT_NE(log.find("Depth conversion formula: (+ 100.0000 (* 0.01000000 snDepth-Sensor))"),
            std::string::npos);
  EXPECT_NE(log.find("Set device depth step"), std::string::npos);
}

TEST_F(LoggerTest, PowerValueAndBcdEncoding) {
  EXPECT_EQ(TLogger::EncodePower(100, true), (std::array<uint8_t, 2>{0x33, 0x31}));  // 13104 counts
  EXPECT_EQ(TLogger::EncodePower(-100, false), (std::array<uint8_t, 2>{0x33, 0x30}));
  EXPECT_EQ(TLogger::EncodePower(0, true), (std::array<uint8_t, 2>{0x00, 0x01}));
  EXPECT_EQ(TLogger::ToBCD(1234567), 0x1234567u);
  EXPECT_THROW(TLogger::ToBCD(-1), EAssertionFailed);
  EXPECT_THROW(TLogger::ToBCD(10000000), EAssertionFailed);
}

TEST_F(LoggerTest, SilentModuleTurnsNotAliveOnceAndBackWithItsFirstPacket) {
  TLogger logger(host_, clock_, classes_);
  logger.AddModule(classes_.Get("ГК"));
  TLoggerModule* gk = logger.Modules(1);
  Recorder heard(logger);
  TPacket timer{1, 0, 0, 0, 0, 0};
  Deliver(logger, timer);  // both just heard of at creation: alive
  EXPECT_TRUE(gk->Alive);
  heard.modules.clear();
  clock_.Advance(2000);
  Deliver(logger, timer);
  EXPECT_TRUE(gk->Alive);
  clock_.Advance(1);
  Deliver(logger, timer);
  Deliver(logger, timer);
  EXPECT_FALSE(gk->Alive);
  EXPECT_EQ(std::count(heard.modules.begin(), heard.modules.end(), gk), 1);
  // A packet of one of its tool sensors brings it back.
  TLoggerSensor* counter = logger.Sensors().Get("GK-COUNTER");
  auto* driver_sensor = static_cast<TLoggerDriverSensor*>(counter);
  Deliver(logger, {driver_sensor->IDs(0), 0, 5, 0, 0, static_cast<uint8_t>(0)});
  Deliver(logger, timer);
  EXPECT_TRUE(gk->Alive);
}

// A sensor handler that lets events run may see the tool string replaced under it
// (its sensor and module gone): the dispatch of that packet ends there.
TEST_F(LoggerTest, ASensorRemovedWhileItsPacketIsDispatchedEndsThePacket) {
  TLogger logger(host_, clock_, classes_);
  logger.AddModule(classes_.Get("ГК"));
  auto* counter = static_cast<TLoggerDriverSensor*>(logger.Sensors().Get("GK-COUNTER"));
  const uint8_t id = counter->IDs(0);
  int calls = 0;
  logger.SensorDriver().OnSensorChange = [&](TLoggerSensor&) {
    ++calls;
    logger.RemoveToolModules();
  };
  Deliver(logger, {id, 0, 5, 0, 0, 0});
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(logger.ModuleCount(), 1);
  EXPECT_EQ(logger.Sensors().Find("GK-COUNTER"), nullptr);
}

TEST_F(LoggerTest, ModulesAddAndRemoveWithTheirSensorsAndPower) {
  TLogger logger(host_, clock_, classes_);
  int sensors = logger.Sensors().Count();
  Recorder heard(logger);
  logger.AddModule(classes_.Get("ИК"));
  EXPECT_EQ(heard.kinds.back(), '3');
  EXPECT_EQ(logger.InitCommand, 64);
  EXPECT_EQ(logger.Power, 60);
  EXPECT_GT(logger.Sensors().Count(), sensors);
  logger.RemoveToolModules();
  EXPECT_EQ(logger.ModuleCount(), 1);
  EXPECT_EQ(logger.Sensors().Count(), sensors);
  EXPECT_EQ(logger.Power, 0);
  EXPECT_EQ(logger.InitCommand, 0);
  EXPECT_FALSE(Lisp().GetVariable("SNILD-SIGNAL"));
}

// The threads at work: a stepped clock drives the 25 ms schedule, the headless host
// runs the dispatch on this thread while it waits.
class ActiveLoggerTest : public LoggerTest {
 protected:
  testing::SteppedClock stepped_{10000};
  HeadlessHost headless_;
};

TEST_F(ActiveLoggerTest, PowerUpAgainstAToolThatNeverAcknowledges) {
  TLogger logger(headless_, stepped_, classes_);
  logger.AddModule(classes_.Get("ИК"));
  logger.SetPortName("SCRIPT-LOGGER");
  ASSERT_TRUE(logger.Active());
  ASSERT_TRUE(logger.CanInitialize());
  logger.Initialize(true);  // every wait runs out on the fake clock
  EXPECT_TRUE(logger.Initialized());
  auto power = TLogger::EncodePower(60, true);
  EXPECT_EQ(script_.Written(), (std::vector<uint8_t>{64, 0xFB, power[0], power[1], 0xF2}));
  logger.SetActive(false);  // powers down before the port closes
  EXPECT_EQ(script_.Written().back(), 0xF3);
  EXPECT_FALSE(logger.Initialized());
}

TEST_F(ActiveLoggerTest, PacketsFromTheLineReachTheChannels) {
  TLogger logger(headless_, stepped_, classes_);
  logger.SetPortName("SCRIPT-LOGGER");
  // Ten counts upwards on the depth counter (ID 17), then let fake time pass.
  for (int i = 0; i < 10; ++i) script_.Send({17, 0, 0, 0, 0, 0xEF});
  for (int step = 0; step < 40 && logger.DepthSensor()->Value < 10; ++step) {
    stepped_.Advance(25);
    headless_.WaitAndProcess(20);
  }
  EXPECT_EQ(logger.DepthSensor()->Value, 10);
  for (int step = 0; step < 10; ++step) {  // timer packets make the channels follow
    stepped_.Advance(25);
    headless_.WaitAndProcess(20);
  }
  EXPECT_NEAR(logger.DepthChannel()->Value, 0.1, 1e-6);
  logger.SetActive(false);
  EXPECT_FALSE(logger.Active());
}

// A host whose event processing also runs what the user did meanwhile: `user` once,
// when `ready` says it is time.
class UserHost : public HeadlessHost {
 public:
  void ProcessMessages() override {
    HeadlessHost::ProcessMessages();
    if (user && ready()) std::exchange(user, nullptr)();
  }
  std::function<bool()> ready;
  std::function<void()> user;
};

// The keep-alive byte is followed by a pause in which the host's events run; a tool
// string chosen by the user in that moment replaces the modules under the timer step
// (and the dispatch of the timer packet) that sent it. Both go on safely: the step
// ends, and the new modules are checked from the next tick on. (Under the sanitizer
// the old loop read freed memory; in the program it crashed once in a while.)
TEST_F(ActiveLoggerTest, AToolStringChosenWhileTheKeepAliveWaitsIsSafe) {
  UserHost host;
  TLogger logger(host, stepped_, classes_);
  logger.AddModule(classes_.Get("ИК"));
  host.ready = [&] { return !script_.Written().empty(); };  // inside the keep-alive
  host.user = [&] {
    logger.RemoveToolModules();
    // Two modules where one was: the list grows and moves in memory.
    for (const char* name : {"ГК-НК", "Каверномер"}) logger.AddModule(classes_.Get(name));
  };
  logger.SetPortName("SCRIPT-LOGGER");
  for (int step = 0; step < 100 && host.user; ++step) {
    stepped_.Advance(25);
    host.WaitAndProcess(20);
  }
  ASSERT_FALSE(host.user) << "the keep-alive never ran";
  EXPECT_EQ(script_.Written()[0], 0xFA);
  ASSERT_EQ(logger.ModuleCount(), 3);
  EXPECT_EQ(logger.Modules(1)->Name, "ГК-НК");
  // The new string is watched as any other.
  for (int step = 0; step < 100; ++step) {
    stepped_.Advance(25);
    host.WaitAndProcess(20);
  }
  for (int i = 1; i < logger.ModuleCount(); ++i) EXPECT_FALSE(logger.Modules(i)->Alive) << i;
  logger.SetActive(false);
}

TEST_F(ActiveLoggerTest, KeepAliveIsSentWhenTheToolIsQuiet) {
  TLogger logger(headless_, stepped_, classes_);
  logger.SetPortName("SCRIPT-LOGGER");
  for (int step = 0; step < 100 && script_.Written().empty(); ++step) {
    stepped_.Advance(25);
    headless_.WaitAndProcess(20);
  }
  ASSERT_FALSE(script_.Written().empty());
  EXPECT_EQ(script_.Written()[0], 0xFA);
  EXPECT_GE(logger.LastPing(), 11001);
  logger.SetActive(false);
}

}  // namespace
}  // namespace kest
