#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace kest {

class TLogger;

// A module instance inside a logger: what a tool-string module looks like at run
// time. The sensors it declares point back to it, and the sensor driver stamps it
// whenever one of them hears from the tool.
class TLoggerModule {
 public:
  virtual ~TLoggerModule() = default;

  bool Alive = false;
  std::string Name;  // class name
  std::string DisplayName;
  int32_t Current = 0;
  int32_t Number = 0;  // 0 until a definition is applied
  uint8_t Kind = 0;

  // Called by the sensor driver for each packet group that reached the module.
  virtual void Heard(int64_t now_ms) { (void)now_ms; }
};

// The logger's module: adds the owner and the liveness fields.
class TContainedLoggerModule : public TLoggerModule {
 public:
  using LivenessCheckFn = std::function<void(TContainedLoggerModule& module, bool& alive)>;

  TLogger* Logger = nullptr;
  int64_t LastHeard = 0;    // millisecond tick of the last packet
  int32_t PacketCount = 0;  // packets since the tool control window last reset it
  LivenessCheckFn LivenessCheck;

  void Heard(int64_t now_ms) override {
    LastHeard = now_ms;
    ++PacketCount;
  }
};

}  // namespace kest
