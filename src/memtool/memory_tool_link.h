#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

namespace kest {

// What the memory tool needs of the line: command bytes out, reply values and a
// 100 ms tick in. LoggerMemoryLink is the real one over the logger; tests script it.
// Main thread: replies and ticks arrive from inside Send and Pump.
class MemoryToolLink {
 public:
  virtual ~MemoryToolLink() = default;
  // One command: takes the command channel, sends the bytes (each with the channel's
  // own pacing, after `pause_ms` more), gives the channel back.
  virtual void Send(std::span<const uint8_t> bytes, int pause_ms = 0) = 0;
  // Lets pending replies and ticks arrive; returns after a short wait.
  virtual void Pump() = 0;
  // 0 = the wireline protocol, 1 = the memory tool's.
  virtual void SetProtocolMode(uint8_t mode) = 0;
  // The port's device has gone away.
  virtual bool PortLost() const = 0;

  // A reply value of the sensor `sensor` (upper-case name).
  std::function<void(std::string_view sensor, uint32_t value)> OnReply;
  std::function<void()> OnTick;
  // Any other sensor's new value (upper-case name); the handler may change it.
  std::function<void(std::string_view sensor, int32_t& value)> OnSensor;
};

}  // namespace kest
