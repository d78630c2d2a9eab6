#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include "link/link_errors.h"
#include "link/logger_port_driver.h"
#include "pseudo_terminal.h"
#include "scripted_port.h"
#include "support/assert.h"
#include "temp_dir.h"
#include "test_support/expect_throw_msg.h"

namespace kest {
namespace {

TEST(PortDriver, NeverConfiguredDriverOpensTheNullDevice) {
  TLoggerPortDriver port;
  EXPECT_EQ(port.PortName(), "Nul");
  port.Open();
  ASSERT_TRUE(port.Opened());
  uint8_t buffer[16];
  EXPECT_EQ(port.Read(buffer, sizeof buffer), 0u);
  EXPECT_EQ(port.Write("abc", 3), 3u);
  port.Close();
  EXPECT_FALSE(port.Opened());
}

TEST(PortDriver, ProgrammingErrorsAreAssertions) {
  TLoggerPortDriver port;
  uint8_t b;
  EXPECT_THROW(port.Read(&b, 1), EAssertionFailed);
  EXPECT_THROW(port.Write(&b, 1), EAssertionFailed);
  port.SetPortName("");
  EXPECT_THROW(port.Open(), EAssertionFailed);
  port.SetPortName("nul");
  port.Open();
  EXPECT_THROW(port.SetPortName("COM1"), EAssertionFailed);
}

TEST(PortDriver, FailedOpenNamesPortAndSystemMessage) {
  testing::TempDir dir;
  const std::string missing = dir.File("no-such-port");
  TLoggerPortDriver port;
  port.SetPortName(missing);
  EXPECT_THROW_MSG(port.Open(), ELoggerError,
                   "Error opening " + missing + " No such file or directory");
  EXPECT_FALSE(port.Opened());
}

TEST(PortDriver, ComNamesMapToSerialDevices) {
  EXPECT_EQ(PortDevicePath("COM1"), "/dev/ttyS0");
  EXPECT_EQ(PortDevicePath("com3"), "/dev/ttyS2");
  EXPECT_EQ(PortDevicePath("\\\\.\\COM10"), "\\\\.\\COM10");
  EXPECT_EQ(PortDevicePath("/dev/ttyUSB0"), "/dev/ttyUSB0");
}

TEST(PortDriver, ReadAsksOnlyForQueuedBytes) {
  testing::ScriptedPort script;
  script.Register("SCRIPT-READ");
  TLoggerPortDriver port;
  port.SetPortName("script-read");
  port.Open();
  uint8_t buffer[6144];
  EXPECT_EQ(port.Read(buffer, sizeof buffer), 0u);
  EXPECT_EQ(script.reads, 0);  // nothing queued: the device is not read at all
  script.Send({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  EXPECT_EQ(port.Read(buffer, sizeof buffer), 10u);
  EXPECT_EQ(buffer[9], 10);
  UnregisterPortName("SCRIPT-READ");
}

TEST(PortDriver, PseudoTerminalCarriesBytesBothWaysWithoutBlocking) {
  testing::PseudoTerminal pty;  // the driver opens the slave side as its serial line
  ASSERT_TRUE(pty.Opened()) << pty.Error();
  TLoggerPortDriver port;
  port.SetPortName(pty.SlavePath());
  port.Open();  // a pty ignores parity: used as it is
  uint8_t buffer[64];
  EXPECT_EQ(port.Read(buffer, sizeof buffer), 0u);  // returns at once
  const uint8_t packet[] = {0x05, 1, 2, 3, 4, 0xF1};
  ASSERT_TRUE(pty.Write(packet, sizeof packet));
  uint32_t got = 0;
  for (int tries = 0; tries < 200 && got < 6; ++tries) {
    got += port.Read(buffer + got, sizeof buffer - got);
    if (got < 6) usleep(1000);
  }
  ASSERT_EQ(got, 6u);
  EXPECT_EQ(buffer[5], 0xF1);
  EXPECT_EQ(port.Write("\x41", 1), 1u);
  char echo = 0;
  ASSERT_EQ(read(pty.Master(), &echo, 1), 1);
  EXPECT_EQ(echo, 0x41);
  // Exclusive: a second driver cannot open the same terminal while we hold it.
  TLoggerPortDriver second;
  second.SetPortName(pty.SlavePath());
  EXPECT_THROW_MSG_HAS(second.Open(), ELoggerError, "Error opening " + pty.SlavePath() + " ");
}

}  // namespace
}  // namespace kest
