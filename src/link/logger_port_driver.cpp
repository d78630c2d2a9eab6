#include "link/logger_port_driver.h"

#include <algorithm>

#include "support/assert.h"

namespace kest {

void TLoggerPortDriver::SetPortName(const std::string& name) {
  KEST_ASSERT(!Opened());
  port_name_ = name;
}

void TLoggerPortDriver::Open() {
  if (Opened()) return;
  KEST_ASSERT(!port_name_.empty());
  device_ = OpenPortDevice(port_name_);
}

void TLoggerPortDriver::Close() { device_.reset(); }

uint32_t TLoggerPortDriver::Read(void* buffer, uint32_t count) {
  KEST_ASSERT(Opened());
  size_t queued = std::min<size_t>(count, device_->Queued());
  if (queued == 0) return 0;
  return static_cast<uint32_t>(device_->Read(buffer, queued));
}

uint32_t TLoggerPortDriver::Write(const void* buffer, uint32_t count) {
  KEST_ASSERT(Opened());
  return static_cast<uint32_t>(device_->Write(buffer, count));
}

}  // namespace kest
