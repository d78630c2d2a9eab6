#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

namespace kest {

class Clock;
class LoggerHost;
class TLoggerPortDriver;
class TLoggerSensor;

// Sends single command bytes to the tool and waits for its acknowledgement, which
// arrives as a change of the "COMMANDACK" sensor, decoded by the dispatch that runs
// inside the waits (they keep the host's events flowing). Main thread only; every
// command sequence runs between Lock and Unlock.
class TCommandDriver {
 public:
  static constexpr int kLockTimeoutMs = 400;
  static constexpr int kBytePauseMs = 10;
  static constexpr int kAckTimeoutMs = 500;

  TCommandDriver(Clock& clock, LoggerHost& host) : clock_(clock), host_(host) {}

  bool Ready() const { return ack_sensor_ && port_; }
  TLoggerSensor* AckSensor() const { return ack_sensor_; }
  void SetAckSensor(TLoggerSensor* sensor) { ack_sensor_ = sensor; }
  void SetPort(TLoggerPortDriver* port) { port_ = port; }

  // Waits up to 400 ms; ELoggerError "Cant lock logger" when the lock stays taken.
  // Re-entrant on the thread that holds it.
  void Lock();
  bool TryLock(int timeout_ms);
  void Unlock();
  // A command sequence is running (on any thread, this one included).
  bool Busy() const { return lock_depth_ > 0; }

  // Writes the byte, then pauses 10 ms processing events. True when it was written.
  bool SendByte(uint8_t byte);
  // Clears the acknowledgement, sends, and waits up to 500 ms for it. A failed write
  // is logged and aborts the caller silently (EAbort); a missing acknowledgement is
  // logged and returns false.
  bool SendCommand(uint8_t byte);

 private:
  void WaitUntil(int64_t deadline, bool (*done)(const TCommandDriver&));

  Clock& clock_;
  LoggerHost& host_;
  TLoggerSensor* ack_sensor_ = nullptr;
  TLoggerPortDriver* port_ = nullptr;
  std::recursive_mutex command_lock_;
  std::atomic<int> lock_depth_{0};
};

// RAII for TCommandDriver::Lock / Unlock.
class CommandLock {
 public:
  explicit CommandLock(TCommandDriver& driver) : driver_(driver) { driver_.Lock(); }
  ~CommandLock() { driver_.Unlock(); }
  CommandLock(const CommandLock&) = delete;
  CommandLock& operator=(const CommandLock&) = delete;

 private:
  TCommandDriver& driver_;
};

// RAII for TCommandDriver::TryLock / Unlock: unlocks only what it took.
class CommandTryLock {
 public:
  CommandTryLock(TCommandDriver& driver, int timeout_ms)
      : driver_(driver), owns_(driver_.TryLock(timeout_ms)) {}
  ~CommandTryLock() {
    if (owns_) driver_.Unlock();
  }
  CommandTryLock(const CommandTryLock&) = delete;
  CommandTryLock& operator=(const CommandTryLock&) = delete;
  bool Owns() const { return owns_; }

 private:
  TCommandDriver& driver_;
  bool owns_;
};

}  // namespace kest
