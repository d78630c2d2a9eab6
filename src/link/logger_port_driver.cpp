#include "link/logger_port_driver.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "support/assert.h"
#include "support/diagnostic_log.h"

namespace kest {

void TLoggerPortDriver::SetPortName(const std::string& name) {
  KEST_ASSERT(!Opened());
  port_name_ = name;
}

void TLoggerPortDriver::Open() {
  if (Opened()) return;
  KEST_ASSERT(!port_name_.empty());
  SetDevice(OpenPortDevice(port_name_));
  opened_ = true;
  lost_ = false;
  ++openings_;
}

void TLoggerPortDriver::Close() {
  SetDevice(nullptr);
  opened_ = false;
  lost_ = false;
}

std::shared_ptr<PortDevice> TLoggerPortDriver::Device() const {
  std::lock_guard lock(device_mutex_);
  return device_;
}

void TLoggerPortDriver::SetDevice(std::shared_ptr<PortDevice> device) {
  {
    std::lock_guard lock(device_mutex_);
    device_.swap(device);
  }
  // The old device closes here, outside the lock (or when a writer lets it go).
}

uint32_t TLoggerPortDriver::Read(void* buffer, uint32_t count) {
  KEST_ASSERT(Opened());
  std::shared_ptr<PortDevice> device = Device();
  if (!device) {
    TryReopen();
    return 0;
  }
  size_t queued = std::min<size_t>(count, device->Queued());
  size_t n = queued == 0 ? 0 : device->Read(buffer, queued);
  if (int error = device->LostError()) DeviceLost(error);
  return static_cast<uint32_t>(n);
}

uint32_t TLoggerPortDriver::Write(const void* buffer, uint32_t count) {
  KEST_ASSERT(Opened());
  std::shared_ptr<PortDevice> device = Device();
  if (!device || device->LostError()) return 0;
  return static_cast<uint32_t>(device->Write(buffer, count));
}

void TLoggerPortDriver::DeviceLost(int error) {
  Diag().Error("Port " + port_name_ + " lost: " + std::strerror(error));
  // Let the device go at once: a re-plugged adapter can only take its old device
  // name back once nobody holds the old one open.
  SetDevice(nullptr);
  lost_ = true;
  next_reopen_ = clock_.NowMs() + kReopenMs;
}

void TLoggerPortDriver::TryReopen() {
  int64_t now = clock_.NowMs();
  if (now < next_reopen_) return;
  next_reopen_ = now + kReopenMs;
  try {
    SetDevice(OpenPortDevice(port_name_));
  } catch (const std::exception&) {
    return;  // still gone; the loss is already in the log
  }
  lost_ = false;
  ++openings_;
  Diag().Note("Port " + port_name_ + " reopened");
}

}  // namespace kest
