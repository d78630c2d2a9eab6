#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/port_device.h"

namespace kest::testing {

// A port whose input the test scripts and whose output it inspects. Shared between
// the test and the device the driver opens, so it survives Close/Open.
class ScriptedPort {
 public:
  // Bytes the tool "sends"; they become readable at once.
  void Send(const std::vector<uint8_t>& bytes) {
    std::lock_guard lock(mutex_);
    input_.insert(input_.end(), bytes.begin(), bytes.end());
  }
  std::vector<uint8_t> Written() const {
    std::lock_guard lock(mutex_);
    return written_;
  }
  // Writes fail (return 0) while set, as a disconnected line would.
  void FailWrites(bool fail) {
    std::lock_guard lock(mutex_);
    fail_writes_ = fail;
  }
  int reads = 0;

  // Makes the port name open this script.
  void Register(const std::string& name) {
    RegisterPortName(name, [this](const std::string&) { return std::make_unique<Device>(*this); });
  }

 private:
  class Device : public PortDevice {
   public:
    explicit Device(ScriptedPort& port) : port_(port) {}
    size_t Queued() override {
      std::lock_guard lock(port_.mutex_);
      return port_.input_.size();
    }
    size_t Read(void* buffer, size_t count) override {
      std::lock_guard lock(port_.mutex_);
      ++port_.reads;
      size_t n = std::min(count, port_.input_.size());
      auto* out = static_cast<uint8_t*>(buffer);
      for (size_t i = 0; i < n; ++i) {
        out[i] = port_.input_.front();
        port_.input_.pop_front();
      }
      return n;
    }
    size_t Write(const void* buffer, size_t count) override {
      std::lock_guard lock(port_.mutex_);
      if (port_.fail_writes_) return 0;
      auto* in = static_cast<const uint8_t*>(buffer);
      port_.written_.insert(port_.written_.end(), in, in + count);
      return count;
    }

   private:
    ScriptedPort& port_;
  };

  mutable std::mutex mutex_;
  std::deque<uint8_t> input_;
  std::vector<uint8_t> written_;
  bool fail_writes_ = false;
};

}  // namespace kest::testing
