#include "link/command_driver.h"

#include <cstdio>

#include "link/link_errors.h"
#include "link/logger_host.h"
#include "link/logger_port_driver.h"
#include "link/logger_sensor.h"
#include "support/assert.h"
#include "support/clock.h"
#include "support/diagnostic_log.h"

namespace kest {

namespace {

std::string Hex(uint8_t byte) {
  char text[8];
  std::snprintf(text, sizeof text, "$%X", byte);
  return text;
}

}  // namespace

bool TCommandDriver::TryLock(int timeout_ms) {
  // Polled against the injected clock so that tests run the time-out instantly.
  int64_t deadline = clock_.NowMs() + timeout_ms;
  for (;;) {
    if (command_lock_.try_lock()) {
      ++lock_depth_;
      return true;
    }
    if (clock_.NowMs() >= deadline) return false;
    clock_.SleepMs(1);
  }
}

void TCommandDriver::Lock() {
  if (!TryLock(kLockTimeoutMs)) throw ELoggerError("Cant lock logger");
}

void TCommandDriver::Unlock() {
  --lock_depth_;
  command_lock_.unlock();
}

void TCommandDriver::WaitUntil(int64_t deadline, bool (*done)(const TCommandDriver&)) {
  while (clock_.NowMs() < deadline && !done(*this)) {
    clock_.SleepMs(1);
    host_.ProcessMessages();
  }
}

bool TCommandDriver::SendByte(uint8_t byte) {
  KEST_ASSERT(Ready());
  int64_t start = clock_.NowMs();
  bool written = port_->Write(&byte, 1) == 1;
  WaitUntil(start + kBytePauseMs, [](const TCommandDriver&) { return false; });
  return written;
}

bool TCommandDriver::SendCommand(uint8_t byte) {
  KEST_ASSERT(Ready());
  ack_sensor_->Value = 0;
  int64_t sent = clock_.NowMs();
  if (!SendByte(byte)) {
    Diag().Error("Ошибка передачи команды " + Hex(byte));
    throw EAbort("Ошибка передачи команды " + Hex(byte));
  }
  WaitUntil(sent + kAckTimeoutMs,
            [](const TCommandDriver& d) { return d.ack_sensor_->Value != 0; });
  if (ack_sensor_->Value != 0) return true;
  Diag().Error("Нет подтверждения команды " + Hex(byte));
  return false;
}

}  // namespace kest
