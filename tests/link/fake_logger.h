#pragma once

#include <memory>
#include <vector>

#include "fake_clock.h"
#include "link/logger_channels.h"
#include "link/logger_core.h"
#include "link/logger_module.h"
#include "link/logger_packet_driver.h"
#include "link/logger_sensor_driver.h"
#include "link/logger_sensors.h"
#include "link/module_classes.h"
#include "link/module_loader.h"

namespace kest::testing {

// The module-holding side of a logger, wired the way the logger wires its lists:
// enough to load classes, evaluate channels and feed data sources. Records every
// notification it raises; the update bracket delivers pending kinds without payload.
class FakeLogger : public LoggerCore {
 public:
  FakeLogger() { ConnectLists(); }
  ~FakeLogger() override {
    DetachDataSources();
    channels_.Clear();
    sensors_.Clear();
  }

  TLoggerSensors& Sensors() override { return sensors_; }
  TLoggerChannels& Channels() override { return channels_; }
  int ModuleCount() const override { return static_cast<int>(modules_.size()); }
  TLoggerModule* Modules(int i) const override { return modules_[static_cast<size_t>(i)].get(); }

  void Notify(TLoggerNotifyKind kind, TLoggerPayload payload = {}) override {
    notices.push_back(kind);
    if (update_count_ > 0) {
      pending_[static_cast<int>(kind)] = true;
      return;
    }
    DeliverToDataSources(kind, payload);
  }
  void BeginUpdate() override { ++update_count_; }
  void EndUpdate() override {
    if (--update_count_ > 0) return;
    for (int k = 0; k < 5; ++k)
      if (pending_[k]) {
        pending_[k] = false;
        DeliverToDataSources(static_cast<TLoggerNotifyKind>(k));
      }
  }

  // Loads a class as a new module; a failure discards the module and propagates.
  TContainedLoggerModule& AddModule(const TModuleClass& cls) {
    auto module = std::make_unique<TContainedLoggerModule>();
    LoadClass(*module, cls, *this);
    modules_.push_back(std::move(module));
    Notify(TLoggerNotifyKind::lnLayoutChange);
    Notify(TLoggerNotifyKind::lnModuleChange, modules_.back().get());
    return *modules_.back();
  }

  int Count(TLoggerNotifyKind kind) const {
    int n = 0;
    for (auto k : notices) n += k == kind;
    return n;
  }

  std::vector<TLoggerNotifyKind> notices;

 private:
  FakeClock clock_;
  TLoggerPacketDriver packets_;
  TLoggerSensorDriver driver_{packets_, clock_};
  TLoggerSensors sensors_{driver_};
  TLoggerChannels channels_;
  std::vector<std::unique_ptr<TContainedLoggerModule>> modules_;
  int update_count_ = 0;
  bool pending_[5] = {};
};

}  // namespace kest::testing
