#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "support/clock.h"

namespace kest::testing {

// A fake clock for code with threads. On the thread that made it (the test's main
// thread) SleepMs moves time forward at once, so waits for acknowledgements take no
// real time. On any other thread SleepMs waits until the time has moved on, or at
// most a real millisecond, so a thread that polls NowMs() in a loop (the receive
// thread's 25 ms schedule) ticks exactly as fake time passes and still notices a
// stop request.
class SteppedClock : public Clock {
 public:
  explicit SteppedClock(int64_t start_ms = 0)
      : now_(start_ms), owner_(std::this_thread::get_id()) {}

  int64_t NowMs() const override {
    std::lock_guard lock(mutex_);
    return now_;
  }
  void SleepMs(int64_t ms) override {
    if (std::this_thread::get_id() == owner_) {
      Advance(ms);
      return;
    }
    std::unique_lock lock(mutex_);
    int64_t target = now_ + ms;
    moved_.wait_for(lock, std::chrono::milliseconds(1), [&] { return now_ >= target; });
  }
  void Advance(int64_t ms) {
    {
      std::lock_guard lock(mutex_);
      now_ += ms;
    }
    moved_.notify_all();
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable moved_;
  int64_t now_;
  std::thread::id owner_;
};

}  // namespace kest::testing
