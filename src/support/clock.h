#pragma once

#include <cstdint>

namespace kest {

// Millisecond time as every timed component sees it. Production code uses
// SteadyClock; tests pass a fake clock so time-outs run deterministically.
class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary fixed point; never goes back.
  virtual int64_t NowMs() const = 0;
  virtual void SleepMs(int64_t ms) = 0;
};

class SteadyClock : public Clock {
 public:
  int64_t NowMs() const override;
  void SleepMs(int64_t ms) override;
};

// The process's real clock.
Clock& SystemClock();

}  // namespace kest
