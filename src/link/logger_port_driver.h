#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "link/port_device.h"

namespace kest {

// The lowest layer of the logger link: owns the port through which the program
// talks to the tool. Reads come only from the receive thread and never block;
// writes come only from the main thread under the logger's command lock. Open and
// Close run while the receive thread is stopped.
class TLoggerPortDriver {
 public:
  TLoggerPortDriver() = default;
  ~TLoggerPortDriver() { Close(); }
  TLoggerPortDriver(const TLoggerPortDriver&) = delete;
  TLoggerPortDriver& operator=(const TLoggerPortDriver&) = delete;

  bool Opened() const { return device_ != nullptr; }
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
  std::string port_name_ = "Nul";
  std::unique_ptr<PortDevice> device_;
};

}  // namespace kest
