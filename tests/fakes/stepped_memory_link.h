#pragma once

#include <chrono>
#include <cstdint>

#include "link/logger.h"
#include "link/logger_host.h"
#include "memtool/logger_memory_link.h"
#include "stepped_clock.h"

namespace kest::testing {

// The real memory-tool link on fake time: each pump lets 25 ms pass and waits (at
// most 2 s of real time) until the logger's tick for it has been served, so replies
// arrive as they would on the line. `wait_ms` is how long each host wait may block.
class SteppedMemoryLink : public LoggerMemoryLink {
 public:
  SteppedMemoryLink(TLogger& logger, HeadlessHost& host, SteppedClock& clock, int wait_ms = 10)
      : LoggerMemoryLink(logger, host, clock),
        logger_(logger),
        host_(host),
        clock_(clock),
        wait_ms_(wait_ms) {}
  void Pump() override {
    const int32_t tick = logger_.TimerSensor()->Value;
    clock_.Advance(25);
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    do {
      host_.WaitAndProcess(wait_ms_);
    } while (logger_.TimerSensor()->Value == tick && std::chrono::steady_clock::now() < give_up);
  }

 private:
  TLogger& logger_;
  HeadlessHost& host_;
  SteppedClock& clock_;
  int wait_ms_;
};

}  // namespace kest::testing
