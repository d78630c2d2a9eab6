#include "sim/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "support/errors.h"

namespace kest::sim {

PtyServer::PtyServer(std::shared_ptr<ToolSimulator> simulator) : simulator_(std::move(simulator)) {
  master_.Reset(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
  if (master_.Get() < 0 || ::grantpt(master_.Get()) != 0 || ::unlockpt(master_.Get()) != 0)
    throw EInOutError(WithSystemError("Не удалось создать псевдотерминал: "));
  slave_path_ = ::ptsname(master_.Get());
  // Raw on our side too: the bytes are binary, not text lines.
  termios tio{};
  if (::tcgetattr(master_.Get(), &tio) == 0) {
    ::cfmakeraw(&tio);
    ::tcsetattr(master_.Get(), TCSANOW, &tio);
  }
  ::fcntl(master_.Get(), F_SETFL, ::fcntl(master_.Get(), F_GETFL) | O_NONBLOCK);
}

PtyServer::~PtyServer() = default;

void PtyServer::Run(std::stop_token stop) {
  std::vector<uint8_t> buffer(4096);
  while (!stop.stop_requested()) {
    pollfd p{master_.Get(), POLLIN, 0};
    int ready = ::poll(&p, 1, 2);
    if (ready > 0 && (p.revents & POLLIN)) {
      ssize_t n = ::read(master_.Get(), buffer.data(), buffer.size());
      if (n > 0) simulator_->Receive(buffer.data(), static_cast<size_t>(n));
    }
    size_t available = simulator_->Available();
    if (ready > 0 && (p.revents & POLLHUP)) {
      // Nobody has the terminal open: like a line with nothing attached, what the
      // tool sends now is lost (and not delivered late to the next reader).
      while (available > 0)
        available -= simulator_->Read(buffer.data(), std::min(available, buffer.size()));
      continue;
    }
    while (available > 0) {
      size_t n = simulator_->Read(buffer.data(), std::min(available, buffer.size()));
      size_t done = 0;
      while (done < n) {
        ssize_t w = ::write(master_.Get(), buffer.data() + done, n - done);
        if (w > 0) {
          done += static_cast<size_t>(w);
        } else if (w < 0 && errno == EAGAIN) {
          pollfd out{master_.Get(), POLLOUT, 0};
          ::poll(&out, 1, 5);  // the reader is behind: wait for room
          if (stop.stop_requested()) return;
        } else if (w < 0 && errno != EINTR) {
          break;  // nobody listening (EIO until the logger opens the terminal)
        }
      }
      available -= n;
    }
  }
}

}  // namespace kest::sim
