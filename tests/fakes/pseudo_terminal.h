#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <string>

namespace kest::testing {

// A pseudo-terminal pair standing in for a serial line: the code under test opens
// SlavePath() as its device, the test plays the tool on the master side. Closing the
// master (Close, or the destructor) hangs the line up, as unplugging a device does.
class PseudoTerminal {
 public:
  PseudoTerminal() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    char name[128];
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
        ::ptsname_r(master_, name, sizeof name) != 0) {
      error_ = std::strerror(errno);
      Close();
      return;
    }
    slave_path_ = name;
  }
  ~PseudoTerminal() { Close(); }
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  // False when the system gave no pseudo-terminal; Error() then says why.
  bool Opened() const { return master_ >= 0; }
  const std::string& Error() const { return error_; }
  int Master() const { return master_; }
  // The device path; kept after Close, as a device's name outlives the device.
  const std::string& SlavePath() const { return slave_path_; }

  // Sends every byte to the code under test; false when the line took fewer.
  bool Write(const void* data, size_t size) const {
    const char* at = static_cast<const char*>(data);
    while (size > 0) {
      ssize_t n = ::write(master_, at, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      at += n;
      size -= static_cast<size_t>(n);
    }
    return true;
  }

  void Close() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  std::string slave_path_;
  std::string error_;
};

}  // namespace kest::testing
