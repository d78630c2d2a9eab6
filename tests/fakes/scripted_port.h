#pragma once

#include <cerrno>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/link_errors.h"
#include "link/port_device.h"

namespace kest::testing {

// A port whose input the test scripts and whose output it inspects. Shared between
// the test and the device the driver opens, so it survives Close/Open. Its device
// can go away, as an unplugged USB adapter does, and come back: a device opened
// before the loss stays dead (it reports the system error), and while the device
// is away opening the port fails.
class ScriptedPort {
 public:
  // Bytes the tool "sends"; they become readable at once (dropped while away).
  void Send(const std::vector<uint8_t>& bytes) {
    std::lock_guard lock(mutex_);
    if (present_) input_.insert(input_.end(), bytes.begin(), bytes.end());
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
  void Vanish(int error = EIO) {
    std::lock_guard lock(mutex_);
    present_ = false;
    error_ = error;
    ++generation_;
    input_.clear();
  }
  void Return() {
    std::lock_guard lock(mutex_);
    present_ = true;
  }
  // Open attempts so far, failed ones included.
  int Opens() const {
    std::lock_guard lock(mutex_);
    return opens_;
  }
  int reads = 0;

  // Makes the port name open this script.
  void Register(const std::string& name) {
    RegisterPortName(name, [this](const std::string& port) -> std::unique_ptr<PortDevice> {
      std::lock_guard lock(mutex_);
      ++opens_;
      if (!present_) throw ELoggerError("Error opening " + port + " " + std::strerror(ENOENT));
      return std::make_unique<Device>(*this, generation_);
    });
  }

 private:
  class Device : public PortDevice {
   public:
    Device(ScriptedPort& port, int generation) : port_(port), generation_(generation) {}
    size_t Queued() override {
      std::lock_guard lock(port_.mutex_);
      return Dead() ? 0 : port_.input_.size();
    }
    size_t Read(void* buffer, size_t count) override {
      std::lock_guard lock(port_.mutex_);
      ++port_.reads;
      if (Dead()) return 0;
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
      if (Dead() || port_.fail_writes_) return 0;
      auto* in = static_cast<const uint8_t*>(buffer);
      port_.written_.insert(port_.written_.end(), in, in + count);
      return count;
    }
    int LostError() const override {
      std::lock_guard lock(port_.mutex_);
      return Dead() ? port_.error_ : 0;
    }

   private:
    bool Dead() const { return generation_ != port_.generation_; }
    ScriptedPort& port_;
    int generation_;
  };

  mutable std::mutex mutex_;
  std::deque<uint8_t> input_;
  std::vector<uint8_t> written_;
  bool fail_writes_ = false;
  bool present_ = true;
  int error_ = 0;
  int generation_ = 0;
  int opens_ = 0;
};

}  // namespace kest::testing
