#include <gtest/gtest.h>

#include <cstdlib>

#include "fake_clock.h"
#include "link/logger_packet_driver.h"
#include "link/module_classes.h"
#include "lisp/wlisp.h"
#include "sim/tool_simulator.h"
#include "test_support/test_files.h"

namespace kest::sim {
namespace {

std::string ShippedClasses() { return test::DataRoot() + "/Data/Classes"; }

class SimulatorTest : public ::testing::Test {
 protected:
  SimulatorTest() : classes_(ShippedClasses()) { classes_.Reload(); }

  std::unique_ptr<ToolSimulator> Make(SimSettings s = {}) {
    return std::make_unique<ToolSimulator>(classes_, s, clock_);
  }
  // Everything the simulator sends in `ms`, framed by a packet driver that listens
  // to every ID.
  std::vector<TPacket> Run(ToolSimulator& sim, int ms) {
    clock_.Advance(ms);
    std::vector<uint8_t> bytes(sim.Available());
    bytes.resize(sim.Read(bytes.data(), bytes.size()));
    TLoggerPacketDriver parser;
    for (int id = 0; id < 256; ++id)
      if (id != 0x92 && id != 0x93) parser.AttachID(static_cast<uint8_t>(id));
    std::vector<TPacket> packets;
    for (size_t at = 0; at < bytes.size(); at += 600) {
      parser.Feed(bytes.data() + at, std::min<size_t>(600, bytes.size() - at));
      for (TPacket p; parser.GetPacket(p);) packets.push_back(p);
    }
    return packets;
  }
  static int CountId(const std::vector<TPacket>& packets, uint8_t id) {
    return static_cast<int>(std::count_if(packets.begin(), packets.end(),
                                          [id](const TPacket& p) { return p[0] == id; }));
  }
  void Send(ToolSimulator& sim, std::vector<uint8_t> bytes) {
    sim.Receive(bytes.data(), bytes.size());
  }

  TWLisp lisp_;
  TModuleClasses classes_;
  testing::FakeClock clock_{0};
};

TEST_F(SimulatorTest, EveryCommandByteIsAcknowledgedAndPowerGatesTheToolData) {
  auto sim = Make();
  auto quiet = Run(*sim, 1000);
  EXPECT_EQ(CountId(quiet, 48), 0);  // gamma: only while powered
  EXPECT_GE(CountId(quiet, 20), 4);  // tension: the surface panel always talks
  Send(*sim, {48, 0xFB, 0x12, 0x31, 0xF2});
  auto on = Run(*sim, 1000);
  EXPECT_EQ(CountId(on, 0x92), 5);
  EXPECT_TRUE(sim->Powered());
  EXPECT_EQ(sim->PowerValue(), 0x1231);
  EXPECT_GE(CountId(on, 48), 9);  // every 100 ms
  EXPECT_GE(CountId(on, 63), 9);  // the module number for auto-detection
  auto number = std::find_if(on.begin(), on.end(), [](const TPacket& p) { return p[0] == 63; });
  EXPECT_EQ((*number)[1] << 8 | (*number)[2], 7);
  Send(*sim, {0xF3});
  auto off = Run(*sim, 1000);
  EXPECT_FALSE(sim->Powered());
  EXPECT_LE(CountId(off, 48), 1);
}

TEST_F(SimulatorTest, DepthStepAndDepthArriveInBcdAndDriveTheCounter) {
  SimSettings s;
  s.winch.start_depth_m = 100;
  s.winch.wheel_error = 0;
  auto sim = Make(s);
  Send(*sim, {0xA0, 0xA2, 0x10, 0x00, 0xA3, 0x00, 0x10, 0x00});
  EXPECT_DOUBLE_EQ(sim->DepthStep(), -0.01);
  EXPECT_DOUBLE_EQ(sim->DepthSet(), 100.0);
  sim->SetSpeed(360);  // 0.1 m/s: 10 counts a second
  auto packets = Run(*sim, 2000);
  EXPECT_EQ(CountId(packets, 17), 20);  // counts up while the depth grows
  EXPECT_EQ(CountId(packets, 16), 0);
  sim->SetSpeed(-360);
  packets = Run(*sim, 1000);
  EXPECT_EQ(CountId(packets, 16), 10);
}

TEST_F(SimulatorTest, LineRateLimitsOutputAndFaultsCanBeInjected) {
  SimSettings s;
  s.winch.speed_m_per_h = 36000;  // 10 m/s at 0.01 m: 1000 counts a second
  auto sim = Make(s);
  clock_.Advance(1000);
  EXPECT_LE(sim->Available(), static_cast<size_t>(ToolSimulator::kLineBytesPerMs * 1000) + 1);

  SimSettings noisy;
  noisy.corrupt_rate = 0.05;
  noisy.never_acknowledge = true;
  auto bad = Make(noisy);
  Send(*bad, {0xF2});
  auto packets = Run(*bad, 2000);
  EXPECT_EQ(CountId(packets, 0x92), 0);
  EXPECT_TRUE(bad->Powered());
}

TEST_F(SimulatorTest, ReadsTheSensorsTheClassFilesDeclare) {
  auto sim = Make();
  auto names = sim->SensorNames();
  for (const char* expected : {"DEPTH-SENSOR", "MAG-LABEL-SENSOR", "TENSION-SENSOR", "GK-COUNTER",
                               "NK-FAR-COUNTER", "TEMP-SENSOR", "CALI-SENSOR"})
    EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;
  EXPECT_EQ(std::find(names.begin(), names.end(), "TIMER"), names.end());  // the driver makes those
  // Measuring points lie below the cable head by the modules above them.
  EXPECT_GT(sim->SensorDepth("CALI-SENSOR"), sim->SensorDepth("GK-COUNTER"));
}

}  // namespace
}  // namespace kest::sim
