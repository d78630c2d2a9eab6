#pragma once

#include <string>

namespace kest {

// Keeps a single recorder running: an exclusive lock on a file in
// $XDG_RUNTIME_DIR (/tmp when unset). The lock goes with the process, so a
// recorder that died never blocks the next one.
class SingleInstanceLock {
 public:
  // `name`: the lock's name ("LogRecorder").
  explicit SingleInstanceLock(const std::string& name);
  ~SingleInstanceLock();
  SingleInstanceLock(const SingleInstanceLock&) = delete;
  SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

  // False when another process holds the lock.
  bool Acquired() const { return fd_ >= 0; }
  const std::string& Path() const { return path_; }

  static std::string LockPath(const std::string& name);

 private:
  std::string path_;
  int fd_ = -1;
};

}  // namespace kest
