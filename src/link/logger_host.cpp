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
  queue_.push_back(&call);
  changed_.notify_all();
  changed_.wait(lock, [&] { return call.done; });
}

void HeadlessHost::ProcessMessages() {
  std::unique_lock lock(mutex_);
  while (!queue_.empty()) {
    Call* call = queue_.front();
    queue_.pop_front();
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
    if (!changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                           [&] { return !queue_.empty(); }))
      return false;
  }
  ProcessMessages();
  return true;
}

}  // namespace kest
