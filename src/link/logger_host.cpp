#include "link/logger_host.h"

#include <chrono>

namespace kest {

void HeadlessHost::RunOnMainThread(const std::function<void()>& fn) {
  if (IsMainThread()) {
    fn();
    return;
  }
  Call call{&fn};
  std::unique_lock lock(mutex_);
  if (shut_down_) return;
  queue_.push_back(&call);
  changed_.notify_all();
  // After shutdown a call still queued is withdrawn; one already running is awaited.
  changed_.wait(lock, [&] { return call.done || (shut_down_ && !call.running); });
  if (!call.done) std::erase(queue_, &call);
}

void HeadlessHost::ProcessMessages() {
  std::unique_lock lock(mutex_);
  while (!queue_.empty()) {
    Call* call = queue_.front();
    queue_.pop_front();
    call->running = true;
    lock.unlock();
    try {
      (*call->fn)();
    } catch (...) {
      // The caller waits only for completion; errors are the function's own business.
    }
    lock.lock();
    call->done = true;
    changed_.notify_all();
  }
}

bool HeadlessHost::WaitAndProcess(int timeout_ms) {
  {
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] { return !queue_.empty(); }))
      return false;
  }
  ProcessMessages();
  return true;
}

void HeadlessHost::Shutdown() {
  std::lock_guard lock(mutex_);
  shut_down_ = true;
  changed_.notify_all();
}

}  // namespace kest
