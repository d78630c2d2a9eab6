#pragma once

#include <sys/types.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <string_view>

#include "support/system_calls.h"

namespace kest::testing {

// Faults in the system calls on the files whose path contains a given part, for its
// lifetime: the real code meets an interrupted call, a short write or a failing disk
// or line there. Descriptors count as the file's from their open while this is in
// force; a rename counts when either name matches. Every other file goes on as
// before, the diagnostic log included.
class FaultyCalls {
 public:
  enum Call { kOpen, kRead, kWrite, kFsync, kRename, kCallKinds };

  explicit FaultyCalls(std::string path_part)
      : part_(std::move(path_part)), inner_(Sys()), override_(Wrapped()) {}

  // After `after` more calls of that kind pass, the next `times` fail with `error`
  // and do nothing. Fail(call, 0, 0) lets them all pass again.
  void Fail(Call call, int error, int times = INT_MAX, int after = 0) {
    std::lock_guard lock(mutex_);
    failures_[call] = {error, times, after};
  }
  // Reads and writes move at most `bytes` per call.
  void Limit(size_t bytes) {
    std::lock_guard lock(mutex_);
    limit_ = bytes;
  }
  // Calls of that kind made so far, the failed ones included.
  int Count(Call call) const {
    std::lock_guard lock(mutex_);
    return counts_[call];
  }

 private:
  struct Failure {
    int error = 0;
    int times = 0;
    int after = 0;
  };

  // Counts a call on a watched file; false (errno set) when it is to fail.
  bool Pass(Call call, size_t* count = nullptr) {
    ++counts_[call];
    Failure& f = failures_[call];
    if (f.after > 0) {
      --f.after;
    } else if (f.times > 0) {
      --f.times;
      errno = f.error;
      return false;
    }
    if (count) *count = std::min(*count, limit_);
    return true;
  }
  bool Matches(const char* path) const {
    return std::string_view(path).find(part_) != std::string_view::npos;
  }
  bool Watched(int fd) const { return fds_.count(fd) != 0; }

  SystemCalls Wrapped() {
    SystemCalls calls = inner_;
    calls.open = [this](const char* path, int flags, mode_t mode) {
      std::lock_guard lock(mutex_);
      if (!Matches(path)) return inner_.open(path, flags, mode);
      if (!Pass(kOpen)) return -1;
      int fd = inner_.open(path, flags, mode);
      if (fd >= 0) fds_.insert(fd);
      return fd;
    };
    calls.close = [this](int fd) {
      {
        std::lock_guard lock(mutex_);
        fds_.erase(fd);
      }
      return inner_.close(fd);
    };
    calls.read = [this](int fd, void* buffer, size_t count) -> ssize_t {
      {
        std::lock_guard lock(mutex_);
        if (Watched(fd) && !Pass(kRead, &count)) return -1;
      }
      return inner_.read(fd, buffer, count);
    };
    calls.write = [this](int fd, const void* buffer, size_t count) -> ssize_t {
      {
        std::lock_guard lock(mutex_);
        if (Watched(fd) && !Pass(kWrite, &count)) return -1;
      }
      return inner_.write(fd, buffer, count);
    };
    calls.fsync = [this](int fd) {
      {
        std::lock_guard lock(mutex_);
        if (Watched(fd) && !Pass(kFsync)) return -1;
      }
      return inner_.fsync(fd);
    };
    calls.rename = [this](const char* from, const char* to) {
      {
        std::lock_guard lock(mutex_);
        if ((Matches(from) || Matches(to)) && !Pass(kRename)) return -1;
      }
      return inner_.rename(from, to);
    };
    return calls;
  }

  mutable std::mutex mutex_;
  std::string part_;
  SystemCalls inner_;
  std::set<int> fds_;
  std::array<Failure, kCallKinds> failures_{};
  std::array<int, kCallKinds> counts_{};
  size_t limit_ = SIZE_MAX;
  SystemCallOverride override_;  // last: in force once the rest is ready
};

}  // namespace kest::testing
