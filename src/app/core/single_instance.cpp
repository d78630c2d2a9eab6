#include "app/core/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "support/diagnostic_log.h"
#include "support/errors.h"
#include "support/system_calls.h"

namespace kest {

namespace {

std::string SocketPath(const std::string& lock_path) { return lock_path + ".sock"; }

// The address of `path`; false when it does not fit.
bool Address(const std::string& path, sockaddr_un& a) {
  std::memset(&a, 0, sizeof a);
  a.sun_family = AF_UNIX;
  if (path.size() >= sizeof a.sun_path) return false;
  std::memcpy(a.sun_path, path.c_str(), path.size() + 1);
  return true;
}

}  // namespace

std::string SingleInstanceLock::LockPath(const std::string& name) {
  const char* dir = std::getenv("XDG_RUNTIME_DIR");
  std::string base = dir && *dir && access(dir, W_OK) == 0 ? dir : "/tmp";
  std::string user = std::to_string(getuid());
  // Under /tmp the file is shared by all users: name it per user.
  return base + "/kest-" + name + (base == "/tmp" ? "-" + user : std::string()) + ".lock";
}

SingleInstanceLock::SingleInstanceLock(const std::string& name) : path_(LockPath(name)) {
  UniqueFd fd(RetryOnInterrupt(
      [&] { return Sys().open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600); }));
  if (!fd) {
    // Not another recorder: the lock itself cannot be made. Say so, or the caller's
    // "already running" would be the only trace.
    Diag().Error(WithSystemError("Cannot create lock file " + path_ + ": "));
    return;
  }
  if (RetryOnInterrupt([&] { return Sys().flock(fd.Get(), LOCK_EX | LOCK_NB); }) != 0) {
    if (errno != EWOULDBLOCK) Diag().Error(WithSystemError("Cannot lock " + path_ + ": "));
    return;
  }
  fd_ = std::move(fd);

  // Holding the lock, any socket file left there is a dead holder's.
  sockaddr_un a;
  const std::string socket_path = SocketPath(path_);
  if (!Address(socket_path, a)) return;
  ::unlink(socket_path.c_str());
  UniqueFd s(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!s) return;
  const mode_t old_mask = ::umask(077);  // the owner's alone, as the lock
  const bool bound = ::bind(s.Get(), reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
  ::umask(old_mask);
  if (!bound || ::listen(s.Get(), 4) != 0) {
    Diag().Error(WithSystemError("Cannot listen on " + socket_path + ": "));
    return;
  }
  knock_fd_ = std::move(s);
}

SingleInstanceLock::~SingleInstanceLock() {
  if (knock_fd_) {
    knock_fd_.Reset();
    ::unlink(SocketPath(path_).c_str());
  }
}

bool SingleInstanceLock::TakeKnocks() {
  if (!knock_fd_) return false;
  bool any = false;
  for (;;) {
    UniqueFd c(RetryOnInterrupt(
        [&] { return ::accept4(knock_fd_.Get(), nullptr, nullptr, SOCK_CLOEXEC); }));
    if (!c) break;
    any = true;
  }
  return any;
}

bool SingleInstanceLock::Knock() const {
  sockaddr_un a;
  if (!Address(SocketPath(path_), a)) return false;
  UniqueFd s(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!s) return false;
  return RetryOnInterrupt([&] {
           return ::connect(s.Get(), reinterpret_cast<const sockaddr*>(&a), sizeof a);
         }) == 0;
}

}  // namespace kest
