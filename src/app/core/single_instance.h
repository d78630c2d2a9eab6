#pragma once

#include <string>

#include "support/unique_fd.h"

namespace kest {

// Keeps a single recorder running: an exclusive lock on a file in
// $XDG_RUNTIME_DIR (/tmp when unset). The lock goes with the process, so a
// recorder that died never blocks the next one.
//
// The holder also listens on a local socket beside the lock (owner-only, like the
// lock): a second start that finds the lock taken knocks there, and the running
// recorder brings its window to the front.
class SingleInstanceLock {
 public:
  // `name`: the lock's name ("LogRecorder").
  explicit SingleInstanceLock(const std::string& name);
  ~SingleInstanceLock();
  SingleInstanceLock(const SingleInstanceLock&) = delete;
  SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

  // False when another process holds the lock.
  bool Acquired() const { return fd_.Valid(); }
  const std::string& Path() const { return path_; }

  // The holder's listening socket (non-blocking), -1 when it could not be made or the
  // lock is not held: readable when a second start knocked.
  int KnockFd() const { return knock_fd_.Get(); }
  // Takes every knock waiting; true when there was at least one.
  bool TakeKnocks();
  // A second start: asks the holder to show itself. False when nobody listens.
  bool Knock() const;

  static std::string LockPath(const std::string& name);

 private:
  std::string path_;
  UniqueFd fd_;
  UniqueFd knock_fd_;
};

// What a second start says on stderr and in its box.
inline constexpr const char* kRecorderRunningText =
    "Регистратор уже запущен: второй экземпляр программы не запускается.";

}  // namespace kest
