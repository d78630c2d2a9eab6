#include "sim/sim_port.h"

namespace kest::sim {

namespace {

class SimPortDevice : public PortDevice {
 public:
  explicit SimPortDevice(std::shared_ptr<ToolSimulator> sim) : sim_(std::move(sim)) {}
  size_t Queued() override { return sim_->Available(); }
  size_t Read(void* buffer, size_t count) override {
    return sim_->Read(static_cast<uint8_t*>(buffer), count);
  }
  size_t Write(const void* buffer, size_t count) override {
    sim_->Receive(static_cast<const uint8_t*>(buffer), count);
    return count;
  }

 private:
  std::shared_ptr<ToolSimulator> sim_;
};

}  // namespace

std::unique_ptr<PortDevice> MakeSimPort(std::shared_ptr<ToolSimulator> simulator) {
  return std::make_unique<SimPortDevice>(std::move(simulator));
}

void RegisterSimPort(std::shared_ptr<ToolSimulator> simulator) {
  RegisterPortName("SIM", [simulator](const std::string&) { return MakeSimPort(simulator); });
}

}  // namespace kest::sim
