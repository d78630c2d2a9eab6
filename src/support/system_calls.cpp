#include "support/system_calls.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>

namespace kest {

namespace {

const SystemCalls& RealCalls() {
  static const SystemCalls calls{
      [](const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); },
      [](int fd) { return ::close(fd); },
      [](int fd, void* buffer, size_t count) { return ::read(fd, buffer, count); },
      [](int fd, const void* buffer, size_t count) { return ::write(fd, buffer, count); },
      [](int fd) { return ::fsync(fd); },
      [](const char* from, const char* to) { return ::rename(from, to); },
      [](int fd, int operation) { return ::flock(fd, operation); },
  };
  return calls;
}

std::atomic<const SystemCalls*>& Current() {
  static std::atomic<const SystemCalls*> current{&RealCalls()};
  return current;
}

}  // namespace

const SystemCalls& Sys() { return *Current().load(std::memory_order_acquire); }

SystemCallOverride::SystemCallOverride(SystemCalls calls)
    : calls_(std::move(calls)), previous_(Current().exchange(&calls_, std::memory_order_acq_rel)) {}

SystemCallOverride::~SystemCallOverride() { Current().store(previous_, std::memory_order_release); }

WriteOutcome WriteAll(int fd, const void* buffer, size_t count,
                      const std::function<bool()>& wait_for_room) {
  auto* bytes = static_cast<const char*>(buffer);
  WriteOutcome out;
  while (out.written < count) {
    ssize_t n =
        RetryOnInterrupt([&] { return Sys().write(fd, bytes + out.written, count - out.written); });
    if (n > 0) {
      out.written += static_cast<size_t>(n);
      continue;
    }
    int error = n < 0 ? errno : EIO;
    if (error == EAGAIN && wait_for_room && wait_for_room()) continue;
    out.error = error;
    break;
  }
  return out;
}

}  // namespace kest
