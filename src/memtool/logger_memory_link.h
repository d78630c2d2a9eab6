#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "memtool/memory_tool_link.h"

namespace kest {

class Clock;
class LoggerHost;
class TContainedLoggerModule;
class TLogger;

// The memory tool's line over the logger: commands through the command channel
// (Lock, SendByte per byte, Unlock), replies from the sensors of kind
// "LongIntegerReply", and a tick every fourth tick of the logger's TIMER sensor
// (100 ms). While it exists the logger is marked initialised. Main thread.
// The class of the memory tool's module.
inline constexpr const char* kMemoryToolClass = "Автономный";
// The tool string is a memory tool: its second module (after "System") is of that class.
bool MemoryToolLoaded(const TLogger& logger);
// The class of the surface recorder's module, and whether it is the second module.
inline constexpr const char* kSurfaceRecorderClass = "Наземный";
bool SurfaceRecorderLoaded(const TLogger& logger);
// The tool string after the system module, "Name №number + ...", as a recording
// names it ("Прибор").
std::string ToolStringText(const TLogger& logger);

// While it lives, the logger's first module ("System") sends no keep-alive bytes:
// the surface recorder would take them for command bytes. Main thread.
class KeepAliveSuspension {
 public:
  explicit KeepAliveSuspension(TLogger& logger);
  ~KeepAliveSuspension();
  KeepAliveSuspension(const KeepAliveSuspension&) = delete;
  KeepAliveSuspension& operator=(const KeepAliveSuspension&) = delete;

 private:
  TLogger& logger_;
  std::function<void(TContainedLoggerModule&, bool&)> saved_;
};

class LoggerMemoryLink : public MemoryToolLink {
 public:
  static constexpr int kTimerTicksPerTick = 4;  // 4 x 25 ms
  static constexpr int64_t kTickMs = 100;

  LoggerMemoryLink(TLogger& logger, LoggerHost& host, Clock& clock);
  ~LoggerMemoryLink() override;
  LoggerMemoryLink(const LoggerMemoryLink&) = delete;
  LoggerMemoryLink& operator=(const LoggerMemoryLink&) = delete;

  void Send(std::span<const uint8_t> bytes, int pause_ms = 0) override;
  void Pump() override;
  void SetProtocolMode(uint8_t mode) override;
  bool PortLost() const override;

 private:
  class Follower;
  void TimerStep();

  TLogger& logger_;
  LoggerHost& host_;
  Clock& clock_;
  std::unique_ptr<Follower> follower_;
  int64_t timer_changes_ = 0;
  int64_t last_tick_ms_;
};

}  // namespace kest
