#include "app/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "support/diagnostic_log.h"
#include "support/errors.h"
#include "support/system_calls.h"

namespace kest {

std::string SingleInstanceLock::LockPath(const std::string& name) {
  const char* dir = std::getenv("XDG_RUNTIME_DIR");
  std::string base = dir && *dir && access(dir, W_OK) == 0 ? dir : "/tmp";
  std::string user = std::to_string(getuid());
  // Under /tmp the file is shared by all users: name it per user.
  return base + "/kest-" + name + (base == "/tmp" ? "-" + user : std::string()) + ".lock";
}

SingleInstanceLock::SingleInstanceLock(const std::string& name) : path_(LockPath(name)) {
  int fd = RetryOnInterrupt([&] { return Sys().open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600); });
  if (fd < 0) {
    // Not another recorder: the lock itself cannot be made. Say so, or the caller's
    // "already running" would be the only trace.
    Diag().Error(WithSystemError("Cannot create lock file " + path_ + ": "));
    return;
  }
  if (RetryOnInterrupt([&] { return Sys().flock(fd, LOCK_EX | LOCK_NB); }) != 0) {
    if (errno != EWOULDBLOCK) Diag().Error(WithSystemError("Cannot lock " + path_ + ": "));
    Sys().close(fd);
    return;
  }
  fd_ = fd;
}

SingleInstanceLock::~SingleInstanceLock() {
  if (fd_ >= 0) Sys().close(fd_);
}

}  // namespace kest
