// A device that goes away while the logger holds its port (an unplugged USB adapter,
// a removed device node) and comes back: logged once, reopened on the clock, and the
// data flows again.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "fake_clock.h"
#include "link/logger.h"
#include "link/logger_host.h"
#include "link/logger_packet_driver.h"
#include "link/logger_port_driver.h"
#include "link/logger_sensor.h"
#include "link/module_classes.h"
#include "lisp/wlisp.h"
#include "pseudo_terminal.h"
#include "scripted_port.h"
#include "stepped_clock.h"
#include "support/diagnostic_log.h"
#include "support/stream.h"
#include "temp_dir.h"
#include "test_support/test_files.h"

namespace kest {
namespace {

int Occurrences(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// The diagnostic log of one test, in a temporary folder.
class LogFile {
 public:
  LogFile() { Diag().Open(dir_.File("kest.log"), "kest"); }
  ~LogFile() { Diag().Close(); }
  std::string Text() const {
    auto bytes = ReadWholeFile(dir_.File("kest.log"));
    return std::string(bytes.begin(), bytes.end());
  }
  const testing::TempDir& Dir() const { return dir_; }

 private:
  testing::TempDir dir_;
};

std::vector<TPacket> PacketsWithId(TLoggerPacketDriver& driver, uint8_t id) {
  std::vector<TPacket> found;
  for (TPacket p; driver.GetPacket(p);)
    if (p[0] == id) found.push_back(p);
  return found;
}

TEST(PortLoss, LoggedOnceRetriedEverySecondAndAHalfPacketIsNotCompletedAfterwards) {
  LogFile log;
  testing::ScriptedPort line;
  line.Register("SCRIPT-LOSS");
  testing::FakeClock clock(5000);
  TLoggerPortDriver port(clock);
  TLoggerPacketDriver packets;
  packets.SetPort(&port);
  packets.AttachID(0x20);
  port.SetPortName("SCRIPT-LOSS");
  port.Open();
  auto tick = [&] {
    clock.Advance(25);
    packets.Tick();
  };

  // A whole packet, then the first half of one when the adapter is pulled.
  const TPacket before{0x20, 1, 2, 3, 4, 0xD6};
  line.Send({before.begin(), before.end()});
  line.Send({0x20, 0x10, 0x10});
  tick();
  EXPECT_EQ(PacketsWithId(packets, 0x20), std::vector<TPacket>{before});

  line.Vanish(EIO);
  for (int i = 0; i < 100; ++i) tick();  // 2.5 s without the device
  EXPECT_TRUE(port.Opened());
  EXPECT_TRUE(port.Lost());
  EXPECT_EQ(line.Opens(), 3);  // the first open and one attempt per second
  uint8_t byte = 0;
  EXPECT_EQ(port.Write(&byte, 1), 0u);

  line.Return();
  for (int i = 0; i < 40 && port.Lost(); ++i) tick();
  ASSERT_FALSE(port.Lost());
  // Its first three bytes would complete the half packet with a valid sum; the
  // framer starts afresh on the new device instead.
  const TPacket after{0x20, 0x50, 0x50, 1, 2, 0x3D};
  line.Send({after.begin(), after.end()});
  tick();
  EXPECT_EQ(PacketsWithId(packets, 0x20), std::vector<TPacket>{after});

  std::string text = log.Text();
  EXPECT_EQ(Occurrences(text, "Port SCRIPT-LOSS lost: Input/output error"), 1) << text;
  EXPECT_EQ(Occurrences(text, "Port SCRIPT-LOSS reopened"), 1) << text;
  EXPECT_EQ(Occurrences(text, "Error opening"), 0) << text;
  port.Close();
  UnregisterPortName("SCRIPT-LOSS");
}

TEST(PortLoss, ALossFirstSeenByAWriteIsReportedByTheReader) {
  LogFile log;
  testing::ScriptedPort line;
  line.Register("SCRIPT-LOSS");
  testing::FakeClock clock;
  TLoggerPortDriver port(clock);
  port.SetPortName("SCRIPT-LOSS");
  port.Open();
  line.Vanish(ENODEV);
  uint8_t byte = 0;
  EXPECT_EQ(port.Write(&byte, 1), 0u);
  EXPECT_EQ(port.Read(&byte, 1), 0u);
  EXPECT_TRUE(port.Lost());
  // Closing while lost and opening again is an ordinary open.
  port.Close();
  EXPECT_FALSE(port.Lost());
  line.Return();
  port.Open();
  EXPECT_FALSE(port.Lost());
  EXPECT_EQ(Occurrences(log.Text(), "Port SCRIPT-LOSS lost: No such device"), 1);
  port.Close();
  UnregisterPortName("SCRIPT-LOSS");
}

// One count up on the depth counter (packet ID 17) from the tool's side of the line.
void CountUp(const testing::PseudoTerminal& line) {
  const uint8_t packet[] = {17, 0, 0, 0, 0, 0xEF};
  ASSERT_TRUE(line.Write(packet, sizeof packet));
}

std::string ShippedClasses() { return test::DataRoot() + "/Data/Classes"; }

// The logger is given a stable name for the device, like a udev by-id link; the
// device behind it goes away and a new one appears under the same name.
TEST(PortLoss, LoggerFollowsAStableDeviceLinkThroughUnplugAndReplug) {
  LogFile log;
  TWLisp lisp;
  TModuleClasses classes(ShippedClasses());
  classes.Reload();
  testing::SteppedClock clock(10000);
  HeadlessHost host;
  namespace fs = std::filesystem;
  const std::string link = log.Dir().File("usb-KEST_Tool_Adapter-if00");

  auto first = std::make_unique<testing::PseudoTerminal>();
  ASSERT_TRUE(first->Opened()) << first->Error();
  fs::create_symlink(first->SlavePath(), link);
  TLogger logger(host, clock, classes);
  logger.SetPortName(link);
  auto tick = [&] {
    clock.Advance(25);
    host.WaitAndProcess(2);
    while (host.WaitAndProcess(0)) {
    }
  };
  auto depth = [&] { return logger.DepthSensor()->Value; };

  CountUp(*first);
  for (int i = 0; i < 400 && depth() < 1; ++i) tick();
  ASSERT_EQ(depth(), 1);

  first.reset();  // unplugged: the device hangs up and its node goes
  fs::remove(link);
  for (int i = 0; i < 400 && !logger.PortDriver().Lost(); ++i) tick();
  ASSERT_TRUE(logger.PortDriver().Lost());
  for (int i = 0; i < 100; ++i) tick();  // two failed reopens while the link is missing
  EXPECT_TRUE(logger.PortDriver().Lost());
  EXPECT_TRUE(logger.Active());

  testing::PseudoTerminal second;  // plugged in again: a new device behind the same name
  ASSERT_TRUE(second.Opened()) << second.Error();
  fs::create_symlink(second.SlavePath(), link);
  for (int i = 0; i < 400 && logger.PortDriver().Lost(); ++i) tick();
  ASSERT_FALSE(logger.PortDriver().Lost());
  CountUp(second);
  CountUp(second);
  for (int i = 0; i < 400 && depth() < 3; ++i) tick();
  EXPECT_EQ(depth(), 3);
  logger.SetActive(false);

  std::string text = log.Text();
  EXPECT_EQ(Occurrences(text, "Port " + link + " lost: Input/output error"), 1) << text;
  EXPECT_EQ(Occurrences(text, "Port " + link + " reopened"), 1) << text;
  EXPECT_EQ(Occurrences(text, "Error opening"), 0) << text;
}

}  // namespace
}  // namespace kest
