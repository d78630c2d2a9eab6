#pragma once

#include <atomic>
#include <cstdint>

#include "support/clock.h"

namespace kest::testing {

// A clock that moves only when told to. SleepMs advances it, so code that waits
// out a time-out runs instantly and deterministically.
class FakeClock : public Clock {
 public:
  explicit FakeClock(int64_t start_ms = 0) : now_(start_ms) {}
  int64_t NowMs() const override { return now_.load(); }
  void SleepMs(int64_t ms) override {
    if (ms > 0) now_ += ms;
  }
  void Advance(int64_t ms) { now_ += ms; }
  void Set(int64_t ms) { now_ = ms; }

 private:
  std::atomic<int64_t> now_;
};

}  // namespace kest::testing
