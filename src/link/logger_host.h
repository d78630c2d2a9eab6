#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace kest {

// What the logger needs from the program around it. The desktop program runs
// functions through a blocking queued call and pumps with processEvents; headless
// programs and tests use HeadlessHost.
class LoggerHost {
 public:
  virtual ~LoggerHost() = default;
  // Runs `fn` on the main thread and waits for it (directly when already there).
  virtual void RunOnMainThread(const std::function<void()>& fn) = 0;
  // Processes pending events of the main thread (called during waits on it).
  virtual void ProcessMessages() = 0;
};

// A host for programs without an event loop: functions handed over from other
// threads queue up and run on the main thread in ProcessMessages. The thread that
// creates it is the main thread.
class HeadlessHost : public LoggerHost {
 public:
  HeadlessHost() : main_(std::this_thread::get_id()) {}
  void RunOnMainThread(const std::function<void()>& fn) override;
  void ProcessMessages() override;
  // Waits up to `timeout_ms` for work and processes it; false when none came.
  bool WaitAndProcess(int timeout_ms);
  bool IsMainThread() const { return std::this_thread::get_id() == main_; }

 private:
  struct Call {
    const std::function<void()>* fn;
    bool done = false;
  };
  std::thread::id main_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Call*> queue_;
};

}  // namespace kest
