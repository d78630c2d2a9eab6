#include "link/command_driver.h"

#include <gtest/gtest.h>

#include <thread>

#include "fake_clock.h"
#include "fake_host.h"
#include "link/link_errors.h"
#include "link/logger_port_driver.h"
#include "link/logger_sensor.h"
#include "lisp/wlisp.h"
#include "scripted_port.h"
#include "support/assert.h"
#include "support/diagnostic_log.h"
#include "support/stream.h"
#include "temp_dir.h"
#include "test_support/expect_throw_msg.h"

namespace kest {
namespace {

class CommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    script_.Register("SCRIPT-CMD");
    port_.SetPortName("SCRIPT-CMD");
    port_.Open();
    ack_ = CreateSensor("Detector");
    ack_->SetName("COMMANDACK");
    commands_.SetPort(&port_);
    commands_.SetAckSensor(ack_.get());
    Diag().Open(dir_.File("kest.log"), "kest");
  }
  void TearDown() override {
    Diag().Close();
    UnregisterPortName("SCRIPT-CMD");
  }
  std::string Log() {
    auto bytes = ReadWholeFile(dir_.File("kest.log"));
    return std::string(bytes.begin(), bytes.end());
  }

  testing::TempDir dir_;
  testing::ScriptedPort script_;
  testing::FakeClock clock_{100000};
  testing::FakeHost host_;
  TLoggerPortDriver port_;
  std::unique_ptr<TLoggerDriverSensor> ack_;
  TCommandDriver commands_{clock_, host_};
};

TEST_F(CommandTest, SendBytePacesTenMillisecondsKeepingEventsFlowing) {
  EXPECT_TRUE(commands_.SendByte(0x41));
  EXPECT_EQ(script_.Written(), std::vector<uint8_t>{0x41});
  EXPECT_EQ(clock_.NowMs(), 100010);
  EXPECT_EQ(host_.pumps, 10);
}

TEST_F(CommandTest, AcknowledgementArrivingDuringTheWaitCompletesTheCommand) {
  ack_->Value = 5;  // a stale acknowledgement is cleared first
  host_.on_pump = [&] {
    if (clock_.NowMs() == 100100) ack_->Value = 1;  // dispatch decoded the reply
  };
  EXPECT_TRUE(commands_.SendCommand(0x22));
  EXPECT_EQ(clock_.NowMs(), 100100);
}

TEST_F(CommandTest, MissingAcknowledgementIsLoggedAndReturnsFalse) {
  EXPECT_FALSE(commands_.SendCommand(0xA5));
  EXPECT_EQ(clock_.NowMs(), 100500);
  EXPECT_NE(Log().find("x Нет подтверждения команды $A5"), std::string::npos);
  // A late acknowledgement stays until the next command clears it.
  ack_->Value = 1;
  host_.on_pump = nullptr;
  EXPECT_EQ(ack_->Value, 1);
}

TEST_F(CommandTest, FailedWriteAbortsSilentlyAfterLogging) {
  script_.FailWrites(true);
  EXPECT_THROW_MSG(commands_.SendCommand(0x0F), EAbort, "Ошибка передачи команды $F");
  EXPECT_NE(Log().find("x Ошибка передачи команды $F"), std::string::npos);
}

TEST_F(CommandTest, NotReadyIsAProgrammingError) {
  TCommandDriver bare(clock_, host_);
  EXPECT_FALSE(bare.Ready());
  EXPECT_THROW(bare.SendByte(1), EAssertionFailed);
}

TEST_F(CommandTest, LockIsReentrantButRefusesOtherThreadsAfter400ms) {
  commands_.Lock();
  commands_.Lock();  // same thread
  bool other_failed = false;
  std::thread([&] {
    try {
      commands_.Lock();  // the fake clock runs the 400 ms out at once
    } catch (const ELoggerError& e) {
      other_failed = std::string(e.what()) == "Cant lock logger";
    }
  }).join();
  EXPECT_TRUE(other_failed);
  commands_.Unlock();
  commands_.Unlock();
  EXPECT_TRUE(commands_.TryLock(0));
  commands_.Unlock();
}

TEST_F(CommandTest, LockGuardsReleaseOnAnExceptionAndOnlyWhatTheyTook) {
  script_.FailWrites(true);
  EXPECT_THROW_MSG(
      {
        CommandLock lock(commands_);
        commands_.SendCommand(0x0F);
      },
      EAbort, "Ошибка передачи команды $F");
  EXPECT_FALSE(commands_.Busy());
  EXPECT_THROW_MSG(
      {
        CommandTryLock lock(commands_, 0);
        EXPECT_TRUE(lock.Owns());
        commands_.SendCommand(0x0F);
      },
      EAbort, "Ошибка передачи команды $F");
  EXPECT_FALSE(commands_.Busy());
  bool other_owned = false;
  std::thread([&] { other_owned = CommandTryLock(commands_, 0).Owns(); }).join();
  EXPECT_TRUE(other_owned);
  // Refused, a try leaves the holder's lock alone.
  commands_.Lock();
  std::thread([&] { other_owned = CommandTryLock(commands_, 0).Owns(); }).join();
  EXPECT_FALSE(other_owned);
  EXPECT_TRUE(commands_.Busy());
  commands_.Unlock();
  EXPECT_FALSE(commands_.Busy());
}

}  // namespace
}  // namespace kest
