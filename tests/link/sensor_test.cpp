#include <gtest/gtest.h>

#include "fake_clock.h"
#include "link/link_errors.h"
#include "link/logger_module.h"
#include "link/logger_packet_driver.h"
#include "link/logger_sensor_driver.h"
#include "link/logger_sensors.h"
#include "lisp/cons_node.h"
#include "lisp/lisp_error.h"
#include "lisp/wlisp.h"
#include "support/assert.h"
#include "test_support/expect_throw_msg.h"

namespace kest {
namespace {

TPacket P(uint8_t id, uint8_t d0, uint8_t d1, uint8_t d2, uint8_t d3, uint8_t d4) {
  return {id, d0, d1, d2, d3, d4};
}

std::unique_ptr<TLoggerDriverSensor> Sensor(const char* kind, const char* args,
                                            const char* name = "S") {
  auto s = CreateSensor(kind);
  s->SetName(name);
  NodeRef list = Lisp().Parse(args);
  s->Configure(list.Get());
  return s;
}

class SensorTest : public ::testing::Test {
 protected:
  TWLisp lisp_;
};

TEST_F(SensorTest, KindsDecodeTheirBytes) {
  struct Case {
    const char* kind;
    const char* args;
    std::vector<TPacket> packets;
    int32_t value;
  };
  const Case cases[] = {
      {"Counter",
       "(10 11)",
       {P(10, 0, 0, 0, 0, 0), P(11, 0, 0, 0, 0, 0), P(10, 0, 0, 0, 0, 0), P(10, 0, 0, 0, 0, 0)},
       -2},
      {"Detector", "(7)", {P(7, 1, 2, 3, 4, 5), P(7, 0, 0, 0, 0, 0)}, 2},
      {"word0", "(7)", {P(7, 0x12, 0x34, 0x56, 0x78, 0)}, 0x1234},
      {"WORD1", "(7)", {P(7, 0x12, 0x34, 0x56, 0x78, 0)}, 0x5678},
      {"Delta0", "(7)", {P(7, 0xFF, 0xFF, 0, 0, 0), P(7, 0x00, 0x02, 0, 0, 0)}, 0x10001},
      {"Byte2", "(7)", {P(7, 1, 2, 0xFE, 4, 5)}, 0xFE},
      {"Multiband", "(3 40)", {P(40, 0x01, 0x02, 3, 0, 0), P(40, 0x05, 0x06, 4, 0, 0)}, 0x0102},
      {"LongInteger", "(7)", {P(7, 0x12, 0x34, 0x56, 0x78, 0)}, 0x56781234},
      {"SwapInteger", "(7)", {P(7, 0x12, 0x34, 0x56, 0x78, 0)}, 0x12345678},
  };
  for (const auto& c : cases) {
    auto s = Sensor(c.kind, c.args);
    for (const auto& p : c.packets) s->Decode(p);
    EXPECT_EQ(s->Value, c.value) << c.kind;
  }
  auto multi = Sensor("Multiband", "(3 40 41)");
  EXPECT_EQ(multi->IDCount(), 2);
  EXPECT_EQ(multi->IDs(1), 41);
}

TEST_F(SensorTest, KindRegistryAndDeclarationErrors) {
  EXPECT_EQ(SensorKindNames().front(), "BYTE2");
  EXPECT_THROW_MSG(CreateSensor("Gauge"), EAssertionFailed, "Нет датчика с обработчиком \"Gauge\"");
  EXPECT_THROW_MSG(Sensor("Detector", "(1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17)"),
                   EAssertionFailed, "TLoggerDriverSensor: Out of IDs");
  EXPECT_THROW_MSG(Sensor("Detector", "(1 \"two\")"), ELispEvalError,
                   "Аргументы обработчика датчика должны быть целыми");
  EXPECT_THROW(Sensor("Detector", "(7)")->IDs(1), EAssertionFailed);
  EXPECT_EQ(StrToSensorLocation("ground"), TSensorLocation::Ground);
  EXPECT_THROW_MSG(StrToSensorLocation("Surface"), ELoggerError,
                   "Surface is not a valid sensor location");
}

class SensorListTest : public SensorTest {
 protected:
  testing::FakeClock clock_{1000};
  TLoggerPacketDriver packets_;
  TLoggerSensorDriver driver_{packets_, clock_};
  TLoggerSensors sensors_{driver_};

  TLoggerDriverSensor* Add(const char* kind, const char* args, const char* name) {
    auto s = Sensor(kind, args, name);
    TLoggerDriverSensor* raw = s.get();
    sensors_.Add(std::move(s));
    return raw;
  }
  void Deliver(const TPacket& p) {
    packets_.Packets().Put(p);
    driver_.Dispatch();
  }
};

TEST_F(SensorListTest, SameNamesStandTogetherAndAreScriptVisible) {
  TLoggerDriverSensor* depth = Add("Word0", "(20)", "Depth-Sensor");
  Add("Word0", "(21)", "TIMER");
  TLoggerDriverSensor* depth1 = Add("Word0", "(22)", "depth-sensor");
  EXPECT_EQ(sensors_.Items(1), depth1);
  EXPECT_EQ(depth1->Number, 1);
  EXPECT_EQ(depth1->SymbolName, "SNDEPTH-SENSOR1");
  EXPECT_EQ(sensors_.Get("DEPTH-SENSOR", 1), depth1);

  Deliver(P(20, 0x01, 0x00, 0, 0, 0));
  Deliver(P(22, 0x00, 0x05, 0, 0, 0));
  // Definitions are chosen by the first argument, so formulas start with a float.
  EXPECT_EQ(ToText(Lisp().Evaluate("(+ 0.5 snDepth-Sensor)").Get()), "256.5");
  EXPECT_EQ(ToText(Lisp().Evaluate("(+ 0.5 snDEPTH-SENSOR1)").Get()), "5.5");
  EXPECT_EQ(ToText(Lisp().Evaluate("snDEPTH-SENSOR1").Get()), "[SENSOR]");

  sensors_.Delete(sensors_.IndexOf(depth));
  EXPECT_FALSE(Lisp().GetVariable("SNDEPTH-SENSOR"));
  EXPECT_THROW_MSG(Lisp().Evaluate("(+ 0.5 snDepth-Sensor)"), ELispError,
                   "Unbound symbol \"SNDEPTH-SENSOR\"");
}

TEST_F(SensorListTest, GetExplainsWhatIsMissingExceptModuleNumber) {
  EXPECT_THROW_MSG(sensors_.Get("GK", 2), ELoggerSensorsError, "Logger sensor \"GK #2\" not found");
  EXPECT_EQ(sensors_.Get("modulenumber"), nullptr);
  EXPECT_THROW_MSG(sensors_.Get("MODULENUMBER"), ELoggerSensorsError,
                   "Logger sensor \"MODULENUMBER #0\" not found");
}

TEST_F(SensorListTest, SensorsOnOneIdDecodeInOrderAndSurviveRemoval) {
  std::vector<std::string> changes;
  driver_.OnSensorChange = [&](TLoggerSensor& s) { changes.push_back(s.Name()); };
  TLoggerDriverSensor* a = Add("Word0", "(9)", "A");
  TLoggerDriverSensor* b = Add("Word1", "(9)", "B");
  Deliver(P(9, 0, 1, 0, 2, 0));
  EXPECT_EQ(changes, (std::vector<std::string>{"A", "B"}));
  sensors_.Delete(sensors_.IndexOf(a));
  Deliver(P(9, 0, 0, 0, 7, 0));
  EXPECT_EQ(b->Value, 7);
  EXPECT_FALSE(packets_.Attached(10));
  Deliver(P(33, 1, 1, 1, 1, 1));  // nobody listens: dropped
  EXPECT_EQ(changes.size(), 3u);
}

TEST_F(SensorListTest, EntriesOfOneIdStayContiguous) {
  Add("Counter", "(10 11)", "C");
  Add("Word0", "(12)", "W");
  Add("Detector", "(10)", "D");
  std::vector<int> ids;
  for (int i = 0; i < driver_.EntryCount(); ++i) ids.push_back(driver_.EntryID(i));
  EXPECT_EQ(ids, (std::vector<int>{10, 10, 11, 12}));
  EXPECT_EQ(driver_.FirstEntry(11), 2);
  EXPECT_EQ(driver_.FirstEntry(99), -1);
}

TEST_F(SensorListTest, SixtyFifthEntryFailsAndLeavesNothingBehind) {
  for (int i = 0; i < 4; ++i) Add("Detector", "(1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16)", "D");
  EXPECT_EQ(driver_.EntryCount(), 64);
  EXPECT_THROW_MSG(Add("Detector", "(17)", "E"), EAssertionFailed, "Out of entries");
  EXPECT_EQ(sensors_.Count(), 4);
  EXPECT_FALSE(packets_.Attached(17));
}

TEST_F(SensorListTest, ModulesAreStampedByTheLastSensorOfAGroup) {
  TContainedLoggerModule tool, service;
  TLoggerDriverSensor* gk = Add("Word0", "(30)", "GK");
  gk->Location = TSensorLocation::Logger;
  gk->SetModule(&tool);
  EXPECT_THROW(gk->SetModule(&tool), EAssertionFailed);
  TLoggerDriverSensor* timer = Add("Detector", "(1)", "TIMER");
  timer->SetModule(&service);
  clock_.Set(5000);
  Deliver(P(30, 0, 1, 0, 0, 0));
  Deliver(P(1, 0, 0, 0, 0, 0));  // a service sensor does not prove the tool alive
  EXPECT_EQ(tool.LastHeard, 5000);
  EXPECT_EQ(tool.PacketCount, 1);
  EXPECT_EQ(service.PacketCount, 0);
  TLoggerDriverSensor* ack = Add("Detector", "(0x92)", "COMMANDACK");
  ack->SetModule(&service);
  Deliver(P(0x92, 0, 0, 0, 0, 0));
  EXPECT_EQ(service.PacketCount, 1);
}

TEST_F(SensorListTest, DuplicateAndClear) {
  int layout_changes = 0, brackets = 0;
  sensors_.OnLayoutChange = [&] { ++layout_changes; };
  sensors_.BeginUpdate = [&] { ++brackets; };
  sensors_.EndUpdate = [&] { ++brackets; };
  TLoggerDriverSensor* s = Add("Detector", "(5)", "X");
  EXPECT_THROW_MSG(sensors_.Add(std::unique_ptr<TLoggerDriverSensor>(s)), ELoggerError,
                   "Dup sensor");
  Add("Detector", "(6)", "Y");
  sensors_.Clear();
  EXPECT_EQ(sensors_.Count(), 0);
  EXPECT_EQ(driver_.EntryCount(), 0);
  EXPECT_EQ(layout_changes, 4);
  EXPECT_EQ(brackets, 2);
}

}  // namespace
}  // namespace kest
