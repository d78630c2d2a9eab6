#include "link/port_device.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>

#include "link/link_errors.h"
#include "support/code_page.h"
#include "support/diagnostic_log.h"
#include "support/number_text.h"
#include "support/system_calls.h"
#include "support/unique_fd.h"

namespace kest {

namespace {

class NullDevice : public PortDevice {
 public:
  size_t Queued() override { return 0; }
  size_t Read(void*, size_t) override { return 0; }
  size_t Write(const void*, size_t count) override { return count; }
};

// Errors that mean the device itself is gone rather than a passing fault.
bool IsLoss(int error) { return error == EIO || error == ENXIO || error == ENODEV; }

// A terminal or other character device opened by path. Reads ask only for what is
// queued, so they return at once. Once the device is lost every call returns 0 at
// once and nothing more is logged: the port driver reports the loss.
class PosixDevice : public PortDevice {
 public:
  explicit PosixDevice(UniqueFd fd) : fd_(std::move(fd)) {}

  size_t Queued() override {
    if (lost_) return 0;
    int n = 0;
    if (::ioctl(fd_.Get(), FIONREAD, &n) != 0) {
      Fail(errno, nullptr);
      return 0;
    }
    if (n > 0) return static_cast<size_t>(n);
    // A terminal that hung up (an unplugged adapter, the far side of a pseudo-
    // terminal closed) may still answer FIONREAD with 0; poll tells.
    pollfd p{fd_.Get(), POLLIN, 0};
    if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
      ++faults_;
      lost_ = (p.revents & POLLNVAL) ? EBADF : EIO;
    }
    return 0;
  }

  size_t Read(void* buffer, size_t count) override {
    if (lost_) return 0;
    ssize_t n = RetryOnInterrupt([&] { return Sys().read(fd_.Get(), buffer, count); });
    if (n < 0) {
      if (errno != EAGAIN) Fail(errno, nullptr);
      return 0;
    }
    return static_cast<size_t>(n);
  }

  size_t Write(const void* buffer, size_t count) override {
    if (lost_) return 0;
    int waits = 0;
    WriteOutcome out = WriteAll(fd_.Get(), buffer, count, [&] {
      if (waits++ >= 10) return false;
      pollfd p{fd_.Get(), POLLOUT, 0};
      ::poll(&p, 1, 20);  // the output queue drains at the line's pace
      return true;
    });
    if (out.error) Fail(out.error, "WriteFile ");
    return out.written;
  }

  int LostError() const override { return lost_; }
  uint32_t Faults() const override { return faults_; }

 private:
  // Every failure is counted. A lost device is remembered and left to its owner to
  // report; any other failure is logged.
  void Fail(int error, const char* what) {
    ++faults_;
    if (IsLoss(error)) {
      lost_ = error;
      return;
    }
    Diag().Error(std::string(what ? what : "") + std::strerror(error));
  }

  UniqueFd fd_;
  std::atomic<int> lost_{0};
  std::atomic<uint32_t> faults_{0};
};

// 57600 baud, 8 data bits, even parity, one stop bit, raw. A terminal that refuses a
// setting (a pseudo-terminal ignores parity) is used as it is, with a log entry.
void ConfigureLine(int fd) {
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) {
    Diag().Error(std::strerror(errno));
    return;
  }
  ::cfmakeraw(&tio);
  ::cfsetispeed(&tio, B57600);
  ::cfsetospeed(&tio, B57600);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARODD | CSTOPB);
  tio.c_cflag |= CS8 | PARENB | CLOCAL | CREAD;
  if (::tcsetattr(fd, TCSANOW, &tio) != 0) Diag().Error(std::strerror(errno));
  // Bytes that arrived before we opened belong to nobody: start from a clean line.
  ::tcflush(fd, TCIOFLUSH);
}

struct Registry {
  std::mutex mutex;
  std::map<std::string, PortOpener> openers;  // keyed by upper-cased name
};

Registry& Names() {
  static Registry registry;
  return registry;
}

}  // namespace

void RegisterPortName(std::string name, PortOpener opener) {
  std::lock_guard lock(Names().mutex);
  Names().openers[UpperCase(name)] = std::move(opener);
}

void UnregisterPortName(std::string_view name) {
  std::lock_guard lock(Names().mutex);
  Names().openers.erase(UpperCase(name));
}

std::string PortDevicePath(const std::string& name) {
  std::string upper = UpperCase(name);
  if (upper.size() > 3 && upper.compare(0, 3, "COM") == 0) {
    if (auto n = ParseInt(upper.substr(3)); n && *n >= 1)
      return "/dev/ttyS" + std::to_string(*n - 1);
  }
  return name;
}

std::unique_ptr<PortDevice> OpenPortDevice(const std::string& name) {
  PortOpener opener;
  {
    std::lock_guard lock(Names().mutex);
    auto it = Names().openers.find(UpperCase(name));
    if (it != Names().openers.end()) opener = it->second;
  }
  if (opener) return opener(name);
  if (SameText(name, "Nul")) return std::make_unique<NullDevice>();

  std::string path = PortDevicePath(name);
  UniqueFd owned(RetryOnInterrupt(
      [&] { return Sys().open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC, 0); }));
  const int fd = owned.Get();
  if (!owned) throw ELoggerError("Error opening " + name + " " + std::strerror(errno));
  // Exclusive: a second open of the same device fails while we hold it (the lock
  // holds for every user; TIOCEXCL keeps out programs that do not lock).
  if (RetryOnInterrupt([&] { return Sys().flock(fd, LOCK_EX | LOCK_NB); }) != 0) {
    throw ELoggerError("Error opening " + name + " " + std::strerror(EBUSY));
  }
  if (::isatty(fd)) {
    ::ioctl(fd, TIOCEXCL);
    ConfigureLine(fd);
  }
  return std::make_unique<PosixDevice>(std::move(owned));
}

}  // namespace kest
