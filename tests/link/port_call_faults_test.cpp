// Faults of the serial line's system calls under the real device and port driver, on
// a pseudo-terminal: interrupted calls and a busy line are retried, short writes
// still send every byte, and a failing line is logged and counted, never thrown.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <string>

#include "fake_clock.h"
#include "faulty_calls.h"
#include "link/logger_port_driver.h"
#include "link/port_device.h"
#include "pseudo_terminal.h"
#include "support/diagnostic_log.h"
#include "support/stream.h"
#include "temp_dir.h"

namespace kest {
namespace {

using testing::FaultyCalls;

class PortCallFaults : public ::testing::Test {
 protected:
  PortCallFaults() { Diag().Open(dir_.File("kest.log"), "kest"); }
  ~PortCallFaults() override { Diag().Close(); }

  void SetUp() override { ASSERT_TRUE(pty_.Opened()) << pty_.Error(); }

  // What the tool side received, waiting up to a second for `count` bytes.
  std::string Received(size_t count) {
    std::string bytes;
    char buffer[256];
    for (int tries = 0; tries < 100 && bytes.size() < count; ++tries) {
      pollfd p{pty_.Master(), POLLIN, 0};
      if (::poll(&p, 1, 10) <= 0) continue;
      ssize_t n = ::read(pty_.Master(), buffer, sizeof buffer);
      if (n > 0) bytes.append(buffer, static_cast<size_t>(n));
    }
    return bytes;
  }
  // Reads through the driver until `count` bytes came or the port is lost.
  std::string ReadPort(TLoggerPortDriver& port, size_t count) {
    std::string bytes;
    uint8_t buffer[64];
    for (int tries = 0; tries < 500 && bytes.size() < count && !port.Lost(); ++tries) {
      uint32_t n = port.Read(buffer, sizeof buffer);
      bytes.append(reinterpret_cast<char*>(buffer), n);
      if (n == 0) ::usleep(1000);
    }
    return bytes;
  }
  std::string ErrorEntries() {
    auto bytes = ReadWholeFile(dir_.File("kest.log"));
    std::string text(bytes.begin(), bytes.end()), errors;
    for (size_t at = text.find(" x "); at != std::string::npos; at = text.find(" x ", at + 1))
      errors += text.substr(at + 3, text.find("\r\n", at) - at - 3) + "\n";
    return errors;
  }
  static std::string Command(size_t size) {
    std::string bytes;
    for (size_t i = 0; i < size; ++i) bytes += static_cast<char>(0x20 + i % 90);
    return bytes;
  }

  testing::TempDir dir_;
  testing::PseudoTerminal pty_;
  testing::FakeClock clock_;
};

TEST_F(PortCallFaults, InterruptedCallsAndShortWritesStillCarryEveryByte) {
  FaultyCalls calls(pty_.SlavePath());
  calls.Fail(FaultyCalls::kOpen, EINTR, 1);
  TLoggerPortDriver port(clock_);
  port.SetPortName(pty_.SlavePath());
  port.Open();
  EXPECT_EQ(calls.Count(FaultyCalls::kOpen), 2);

  calls.Limit(3);
  calls.Fail(FaultyCalls::kWrite, EINTR, 2, 5);
  std::string command = Command(64);
  EXPECT_EQ(port.Write(command.data(), 64), 64u);
  EXPECT_EQ(Received(64), command);
  EXPECT_EQ(calls.Count(FaultyCalls::kWrite), 22 + 2);

  calls.Fail(FaultyCalls::kRead, EINTR, 1);
  ASSERT_TRUE(pty_.Write("\x05\x01\x02\x03\x04\xF1", 6));
  EXPECT_EQ(ReadPort(port, 6), "\x05\x01\x02\x03\x04\xF1");
  EXPECT_FALSE(port.Lost());
  EXPECT_EQ(ErrorEntries(), "");
}

TEST_F(PortCallFaults, ABusyLineIsWaitedForAndThenLoggedAndCounted) {
  FaultyCalls calls(pty_.SlavePath());
  std::unique_ptr<PortDevice> device = OpenPortDevice(pty_.SlavePath());
  calls.Fail(FaultyCalls::kWrite, EAGAIN, 3);
  EXPECT_EQ(device->Write("abc", 3), 3u);
  EXPECT_EQ(Received(3), "abc");
  EXPECT_EQ(device->Faults(), 0u);

  calls.Fail(FaultyCalls::kWrite, EAGAIN);
  EXPECT_EQ(device->Write("abc", 3), 0u);
  EXPECT_EQ(device->Faults(), 1u);
  EXPECT_EQ(device->LostError(), 0);  // a full output queue is no loss
  EXPECT_EQ(ErrorEntries(), "WriteFile Resource temporarily unavailable\n");
  calls.Fail(FaultyCalls::kWrite, 0, 0);
  EXPECT_EQ(device->Write("def", 3), 3u);
  EXPECT_EQ(Received(3), "def");
}

TEST_F(PortCallFaults, AFailingLineIsCountedAndEndsTheDeviceWithoutThrowing) {
  FaultyCalls calls(pty_.SlavePath());
  std::unique_ptr<PortDevice> device = OpenPortDevice(pty_.SlavePath());
  calls.Limit(4);
  calls.Fail(FaultyCalls::kWrite, EIO, 1, 1);
  EXPECT_EQ(device->Write("abcdefgh", 8), 4u);
  EXPECT_EQ(device->Faults(), 1u);
  EXPECT_EQ(device->LostError(), EIO);
  // A lost device makes no more calls and logs nothing: its owner reports the loss.
  EXPECT_EQ(device->Write("ijkl", 4), 0u);
  EXPECT_EQ(calls.Count(FaultyCalls::kWrite), 2);
  EXPECT_EQ(ErrorEntries(), "");
}

TEST_F(PortCallFaults, TheDriverLogsAFailingLineOnceAsLost) {
  for (FaultyCalls::Call call : {FaultyCalls::kWrite, FaultyCalls::kRead}) {
    SCOPED_TRACE(call == FaultyCalls::kWrite ? "write" : "read");
    FaultyCalls calls(pty_.SlavePath());
    TLoggerPortDriver port(clock_);
    port.SetPortName(pty_.SlavePath());
    port.Open();
    calls.Fail(call, EIO);
    if (call == FaultyCalls::kWrite) {
      EXPECT_EQ(port.Write("abc", 3), 0u);
    }
    ASSERT_TRUE(pty_.Write("\x05", 1));
    EXPECT_EQ(ReadPort(port, 1), "");
    EXPECT_TRUE(port.Lost());
    EXPECT_TRUE(port.Opened());
    EXPECT_EQ(port.Write("abc", 3), 0u);
    uint8_t byte;
    EXPECT_EQ(port.Read(&byte, 1), 0u);
    // Once, however often the lost port is used (a reopened pty may also log that
    // it refuses the line settings).
    std::string errors = ErrorEntries();
    std::string loss = "Port " + pty_.SlavePath() + " lost: Input/output error\n";
    EXPECT_NE(errors.find(loss), std::string::npos) << errors;
    EXPECT_EQ(errors.find(loss), errors.rfind(loss));
    port.Close();
    Diag().Open(dir_.File("kest.log"), "kest");  // a fresh log for the next case
  }
}

}  // namespace
}  // namespace kest
