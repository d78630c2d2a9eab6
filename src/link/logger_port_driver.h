#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "link/port_device.h"
#include "support/clock.h"

namespace kest {

// The lowest layer of the logger link: owns the port through which the program
// talks to the tool. Reads come only from the receive thread and never block;
// writes come only from the main thread under the logger's command lock. Open and
// Close run while the receive thread is stopped.
//
// A device that goes away while open (an unplugged USB adapter, a removed device
// node) leaves the port open but lost: one error entry names the port and the
// system error, reads and writes do nothing, and Read tries to open the same port
// name again every kReopenMs by the clock (without waiting and without further
// entries), noting in the log when the device is back.
class TLoggerPortDriver {
 public:
  static constexpr int kReopenMs = 1000;

  explicit TLoggerPortDriver(Clock& clock = SystemClock()) : clock_(clock) {}
  ~TLoggerPortDriver() { Close(); }
  TLoggerPortDriver(const TLoggerPortDriver&) = delete;
  TLoggerPortDriver& operator=(const TLoggerPortDriver&) = delete;

  bool Opened() const { return opened_; }
  // The device went away and has not come back yet (only while open).
  bool Lost() const { return lost_; }
  // Counts the openings of a device, reopenings included: a reader that keeps state
  // across reads (a half-received packet) starts afresh when it changes.
  uint32_t Openings() const { return openings_; }
  const std::string& PortName() const { return port_name_; }
  // Only while closed (an assertion failure otherwise).
  void SetPortName(const std::string& name);

  // Does nothing when open. Raises ELoggerError "Error opening <name> <message>".
  void Open();
  void Close();

  // Only while open. Reads at most `count` bytes, and only those already queued.
  uint32_t Read(void* buffer, uint32_t count);
  uint32_t Write(const void* buffer, uint32_t count);

 private:
  std::shared_ptr<PortDevice> Device() const;
  void SetDevice(std::shared_ptr<PortDevice> device);
  void DeviceLost(int error);
  void TryReopen();

  Clock& clock_;
  std::string port_name_ = "Nul";
  bool opened_ = false;
  std::atomic<bool> lost_{false};
  std::atomic<uint32_t> openings_{0};
  int64_t next_reopen_ = 0;  // receive thread
  // The device is swapped by the receive thread while the main thread may write:
  // each side takes its own reference under the lock and works outside it.
  mutable std::mutex device_mutex_;
  std::shared_ptr<PortDevice> device_;
};

}  // namespace kest
