#include "support/unique_fd.h"

#include "support/system_calls.h"

namespace kest {

void UniqueFd::Reset(int fd) {
  if (fd_ >= 0 && fd_ != fd) Sys().close(fd_);
  fd_ = fd;
}

}  // namespace kest
