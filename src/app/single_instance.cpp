#include "app/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace kest {

std::string SingleInstanceLock::LockPath(const std::string& name) {
  const char* dir = std::getenv("XDG_RUNTIME_DIR");
  std::string base = dir && *dir && access(dir, W_OK) == 0 ? dir : "/tmp";
  std::string user = std::to_string(getuid());
  // Under /tmp the file is shared by all users: name it per user.
  return base + "/kest-" + name + (base == "/tmp" ? "-" + user : std::string()) + ".lock";
}

SingleInstanceLock::SingleInstanceLock(const std::string& name) : path_(LockPath(name)) {
  int fd;
  do {
    fd = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return;
  int rc;
  do {
    rc = flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    close(fd);
    return;
  }
  fd_ = fd;
}

SingleInstanceLock::~SingleInstanceLock() {
  if (fd_ >= 0) close(fd_);
}

}  // namespace kest
