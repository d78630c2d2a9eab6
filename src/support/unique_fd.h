#pragma once

#include <utility>

namespace kest {

// Owns one file descriptor (a file, a socket, a pseudo-terminal) and closes it
// through the system-call seam, so fault-injection tests reach every close. Copy is
// deleted; a move hands the descriptor over and leaves the source empty (-1).
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  explicit operator bool() const { return Valid(); }

  // Gives the descriptor up without closing it.
  int Release() { return std::exchange(fd_, -1); }
  // Closes the descriptor held (if any) and takes `fd`. A failed close is not
  // retried: the descriptor is released even then.
  void Reset(int fd = -1);

 private:
  int fd_ = -1;
};

}  // namespace kest
