#pragma once

#include <sys/types.h>

#include <cerrno>
#include <cstddef>
#include <functional>

namespace kest {

// The system calls through which file streams, atomic files, the diagnostic log,
// the serial port and the single-instance lock reach the operating system. The
// real calls are in force unless a SystemCallOverride replaces some of them, so
// that tests can make the real code meet an interrupted call, a short write or a
// failing disk. Each call behaves as its POSIX namesake (-1 and errno on failure).
struct SystemCalls {
  std::function<int(const char* path, int flags, mode_t mode)> open;
  std::function<int(int fd)> close;
  std::function<ssize_t(int fd, void* buffer, size_t count)> read;
  std::function<ssize_t(int fd, const void* buffer, size_t count)> write;
  std::function<int(int fd)> fsync;
  std::function<int(const char* from, const char* to)> rename;
  std::function<int(int fd, int operation)> flock;
};

// The calls in force.
const SystemCalls& Sys();

// Puts `calls` in force for its lifetime and the previous ones back after it.
// Overrides nest; they end in the reverse order of their start. For tests: no
// other thread may be inside a call when an override ends.
class SystemCallOverride {
 public:
  explicit SystemCallOverride(SystemCalls calls);
  ~SystemCallOverride();
  SystemCallOverride(const SystemCallOverride&) = delete;
  SystemCallOverride& operator=(const SystemCallOverride&) = delete;

 private:
  SystemCalls calls_;
  const SystemCalls* previous_;
};

// Makes the call again while it fails with EINTR: a signal came before it did
// anything. Not for close, which has released the descriptor even then.
template <typename Call>
auto RetryOnInterrupt(Call&& call) {
  for (;;) {
    auto result = call();
    if (result != -1 || errno != EINTR) return result;
  }
}

struct WriteOutcome {
  size_t written = 0;
  int error = 0;  // what stopped the write; 0 when every byte went
};

// Writes all `count` bytes: a short write goes on from where it stopped and EINTR
// is retried. On EAGAIN `wait_for_room` (when given) may wait and says whether to
// try again; otherwise EAGAIN ends the write like any other error. A write that
// takes nothing without an error counts as EIO.
WriteOutcome WriteAll(int fd, const void* buffer, size_t count,
                      const std::function<bool()>& wait_for_room = {});

}  // namespace kest
